#include "quarn/script/functions/smtp_functions.h"

#include "quarn/script/functions/function_support.h"
#include "quarn/script/name_list.h"
#include "quarn/script/output_guards.h"
#include "quarn/script/output_page.h"
#include "quarn/services/smtp_mailer.h"
#include "shared/output_buffer.h"

using namespace script_functions;

namespace {

constexpr int kNoHeader = 112;
constexpr int kNoBody = 113;

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
constexpr std::string_view kHeaderMark = "HEADER:";
constexpr std::string_view kBodyMark = "\r\nBODY:";

std::string_view TrimStart(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(kWhiteSpace), text.size()));
    return text;
}

static_assert(CFnSendmail::kFormatCr == kPageFormatCr &&
              CFnSendmail::kFormatNone == kPageFormatNone);

}  // namespace

int CFnSendmail::ComposeMail(std::string_view output, std::string* mail) {
    const std::string lines = CSmtpMailer::ToCrLf(output);
    std::string_view text = TrimStart(lines);
    if (!text.starts_with(kHeaderMark)) return kNoHeader;
    text = TrimStart(text.substr(kHeaderMark.size()));
    const std::size_t body = text.find(kBodyMark);
    if (body == std::string_view::npos) return kNoBody;
    mail->assign(TrimTrailingSpace(text.substr(0, body)));
    mail->append("\r\n");
    mail->append(text.substr(body + kBodyMark.size()));
    return 0;
}

ScriptResult CFnSendmail::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 3, 5)) return script_result::kFailed;
    int flags = 0;
    if (interp.m_nArgCount >= 4 && !EvalIntArg(interp, Arg(interp, 3), flags))
        return script_result::kFailed;
    std::string texts[3];
    for (int i = 0; i < 3; ++i) {
        if (!interp.EvalStringArg(Arg(interp, i))) return script_result::kFailed;
        texts[i] = interp.m_strMessage;
    }
    const auto& [server, from, to] = texts;
    int port = kDefaultPort;
    if (interp.m_nArgCount == 5 && !EvalIntArg(interp, Arg(interp, 4), port))
        return script_result::kFailed;

    COutputBuffer buffer;
    ScriptResult result;
    {
        const OutputModesGuard modes(interp);
        interp.m_nLineMode = (flags & kCr2BrStrip) ? 2 : (flags & kCr2Br) ? 1 : 0;
        interp.m_bEntities = 0;
        interp.WriteList("Sending email to " + to + "\r\n");
        const OpenOutputGuard output(interp, buffer);
        if (!interp.ExpectBlockOpen()) return script_result::kFailed;
        result = RunClosedBlock(interp);
    }
    if (result == script_result::kFailed) return script_result::kFailed;
    CompactPage(buffer, flags);

    std::string mail;
    if (const int refused = ComposeMail(buffer.GetWrittenText(), &mail))
        return Fail(interp, refused);
    CSmtpMailer mailer;
    const int sent = mailer.SendMail(server, from, to, mail, port);
    interp.m_strMessage = mailer.GetMessage();
    return sent ? result : script_result::kFailed;
}

ScriptResult CFnMailtxt::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 4, 5)) return script_result::kFailed;
    std::string texts[4];
    for (int i = 0; i < 4; ++i) {
        if (!interp.EvalStringArg(Arg(interp, i))) return script_result::kFailed;
        texts[i] = interp.m_strMessage;
    }
    const auto& [server, from, to, text] = texts;
    int port = CFnSendmail::kDefaultPort;
    if (interp.m_nArgCount == 5 && !EvalIntArg(interp, Arg(interp, 4), port))
        return script_result::kFailed;
    interp.WriteList("Sending email to " + to + "\r\n");
    CSmtpMailer mailer;
    const int sent = mailer.SendMail(server, from, to, text, port);
    interp.m_strMessage = mailer.GetMessage();
    return sent ? script_result::kDone : script_result::kFailed;
}

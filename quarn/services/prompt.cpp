#include "quarn/services/prompt.h"

#include <atomic>

#include "quarn/services/program_context.h"

namespace {

using namespace prompt_answer;

std::atomic<CPrompter*> g_pInstalledPrompter{nullptr};

void Tell(platform::MessageQueue* owner, std::string line) {
    if (owner != nullptr) PostStatusText(*owner, std::move(line));
}

std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    quoted.append(text).append("\"");
    return quoted;
}

}  // namespace

std::vector<int> MessageBoxButtons(int type) {
    switch (static_cast<unsigned>(type) & 0xFu) {
        case 1:
            return {kOk, kCancel};
        case 2:
            return {kAbort, kRetry, kIgnore};
        case 3:
            return {kYes, kNo, kCancel};
        case 4:
            return {kYes, kNo};
        case 5:
            return {kRetry, kCancel};
        case 6:
            return {kCancel, kTryAgain, kContinue};
        default:
            return {kOk};
    }
}

int DefaultButton(int type) {
    const std::vector<int> buttons = MessageBoxButtons(type);
    const std::size_t index = (static_cast<unsigned>(type) >> 8) & 0xFu;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

std::string_view ButtonLabel(int button) {
    switch (button) {
        case kOk:
            return "OK";
        case kCancel:
            return "Cancel";
        case kAbort:
            return "Abort";
        case kRetry:
            return "Retry";
        case kIgnore:
            return "Ignore";
        case kYes:
            return "Yes";
        case kNo:
            return "No";
        case kTryAgain:
            return "Try Again";
        case kContinue:
            return "Continue";
        default:
            return "";
    }
}

CPrompter& CurrentPrompter() {
    static CHeadlessPrompter headless;
    CPrompter* installed = g_pInstalledPrompter.load();
    return installed != nullptr ? *installed : headless;
}

CPrompter* InstallPrompter(CPrompter* prompter) {
    return g_pInstalledPrompter.exchange(prompter);
}

int CHeadlessPrompter::MessageBox(platform::MessageQueue* owner, std::string_view text,
                                  std::string_view /*caption*/, int type) {
    const int button = DefaultButton(type);
    Tell(owner, "Message box " + Quote(text) + " answered " + std::string(ButtonLabel(button)) +
                    " without a display.");
    return button;
}

std::optional<std::string> CHeadlessPrompter::Input(platform::MessageQueue* owner,
                                                    std::string_view prompt,
                                                    std::string_view /*caption*/,
                                                    std::string_view defaultText) {
    Tell(owner,
         "Input " + Quote(prompt) + " answered " + Quote(defaultText) + " without a display.");
    return std::string(defaultText);
}

int CScriptedPrompter::MessageBox(platform::MessageQueue* owner, std::string_view text,
                                  std::string_view caption, int type) {
    m_questions.push_back({false, owner, std::string(text), std::string(caption), type, ""});
    if (m_buttons.empty()) return DefaultButton(type);
    const int button = m_buttons.front();
    m_buttons.pop_front();
    return button;
}

std::optional<std::string> CScriptedPrompter::Input(platform::MessageQueue* owner,
                                                    std::string_view prompt,
                                                    std::string_view caption,
                                                    std::string_view defaultText) {
    m_questions.push_back(
        {true, owner, std::string(prompt), std::string(caption), 0, std::string(defaultText)});
    if (m_inputs.empty()) return std::string(defaultText);
    std::optional<std::string> answer = std::move(m_inputs.front());
    m_inputs.pop_front();
    return answer;
}

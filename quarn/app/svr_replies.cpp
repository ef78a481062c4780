#include "quarn/app/svr_replies.h"

#include "quarn/services/program_context.h"

std::string SvrReplyValue(std::string_view value) {
    std::string text(value);
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string SvrFailureReply(std::string_view detail) {
    return WithProgramTitle(svr_reply::kFailed) + SvrReplyValue(detail);
}

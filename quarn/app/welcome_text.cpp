#include "quarn/app/welcome_text.h"

std::vector<std::string> SplitWelcomeText(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 2 < text.size()) {
            ++i;
            if (text[i] == 'n') {
                lines.push_back(std::move(line));
                line.clear();
            } else {
                line += text[i];
            }
        } else {
            line += text[i];
        }
    }
    lines.push_back(std::move(line));
    return lines;
}

#include "quarn/services/file_fault.h"

#include <system_error>

#include "platform/ascii.h"

namespace {

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

std::string AsWords(std::string_view reason) {
    std::string words(reason);
    // "Permission denied" reads "permission denied" after a colon; "ODBC" and the like stay.
    if (words.size() > 1 && IsUpper(words[0]) && !IsUpper(words[1]))
        words[0] = platform::AsciiLower(words[0]);
    return words;
}

}  // namespace

std::string FileFaultText(std::string_view file, std::string_view path, std::string_view done,
                          std::string_view reason) {
    return "The " + std::string(file) + " " + std::string(path) + " could not be " +
           std::string(done) + ": " + std::string(reason) + ".";
}

std::string ReasonInWords(int cause) {
    return AsWords(std::generic_category().message(cause));
}

std::string ReasonOfPlatformError(std::string_view error) {
    const std::size_t colon = error.rfind(": ");
    return AsWords(colon == std::string_view::npos ? error : error.substr(colon + 2));
}

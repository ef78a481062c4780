#include "platform/utf8.h"

namespace platform {

namespace {
bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}
}  // namespace

void CutAtUtf8Boundary(std::string& text, std::size_t max_bytes) {
    if (text.size() <= max_bytes) return;
    std::size_t cut = max_bytes;
    // Step back over at most three continuation bytes to the lead byte of the cut sequence.
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && IsContinuation(static_cast<unsigned char>(text[lead])))
        --lead;
    if (lead < cut && !IsContinuation(static_cast<unsigned char>(text[lead])) &&
        static_cast<unsigned char>(text[lead]) >= 0xC0)
        cut = lead;
    text.resize(cut);
}

}  // namespace platform

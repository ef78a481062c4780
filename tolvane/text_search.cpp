#include "tolvane/text_search.h"

#include <algorithm>

namespace {

// Upper to lower case for the letters of the Latin, Greek and Cyrillic alphabets that scripts
// hold; other characters stay as they are.
char16_t FoldCase(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x178) return 0xFF;
        // Pairs start on even letters except in 0x139-0x148 and 0x179-0x17E.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool upper = oddPairs ? (c % 2 == 1) : (c % 2 == 0);
        const bool paired = c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F;
        return paired && upper ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    return c;
}

bool IsWordChar(char16_t c) {
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
               c == u'_';
    // Latin-1's signs and blanks, and the general punctuation (with the paragraph separator the
    // view puts between lines) separate words; the letters of every alphabet do not.
    if (c < 0xC0 || c == 0xD7 || c == 0xF7) return false;
    return !(c >= 0x2000 && c <= 0x206F) && !(c >= 0x3000 && c <= 0x303F);
}

bool SameChar(char16_t a, char16_t b, bool matchCase) {
    return a == b || (!matchCase && FoldCase(a) == FoldCase(b));
}

}  // namespace

bool MatchesAt(std::u16string_view text, std::u16string_view what, std::size_t position,
               const CSearchOptions& options) {
    if (what.empty() || position > text.size() || text.size() - position < what.size())
        return false;
    for (std::size_t i = 0; i < what.size(); ++i) {
        if (!SameChar(text[position + i], what[i], options.matchCase)) return false;
    }
    if (!options.wholeWord) return true;
    const std::size_t end = position + what.size();
    return (position == 0 || !IsWordChar(text[position - 1])) &&
           (end == text.size() || !IsWordChar(text[end]));
}

std::size_t FindText(std::u16string_view text, std::u16string_view what, std::size_t from,
                     const CSearchOptions& options) {
    if (what.empty() || text.size() < what.size()) return std::u16string_view::npos;
    const std::size_t last = text.size() - what.size();
    if (options.down) {
        for (std::size_t position = from; position <= last; ++position) {
            if (MatchesAt(text, what, position, options)) return position;
        }
        return std::u16string_view::npos;
    }
    if (from < what.size()) return std::u16string_view::npos;
    for (std::size_t position = std::min(from - what.size(), last) + 1; position-- > 0;) {
        if (MatchesAt(text, what, position, options)) return position;
    }
    return std::u16string_view::npos;
}

std::vector<std::size_t> FindAll(std::u16string_view text, std::u16string_view what,
                                 const CSearchOptions& options) {
    CSearchOptions down = options;
    down.down = true;
    std::vector<std::size_t> starts;
    for (std::size_t position = FindText(text, what, 0, down);
         position != std::u16string_view::npos;
         position = FindText(text, what, position + what.size(), down))
        starts.push_back(position);
    return starts;
}

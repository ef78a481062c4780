#pragma once
// Find and Replace on a script's text, apart from any widget. Texts are UTF-16 as the editing view
// holds them, so every position is a position of the view's text.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CSearchOptions {
    bool matchCase = false;
    // The match may not have a letter, digit or "_" right before or after it.
    bool wholeWord = false;
    // Towards the end of the text; false: towards its start.
    bool down = true;
};

// The start of the nearest match of `what` in `text`: searching down, the first that starts at or
// after `from`; searching up, the last that ends at or before `from`. npos when there is none or
// `what` is empty. The search does not wrap around.
std::size_t FindText(std::u16string_view text, std::u16string_view what, std::size_t from,
                     const CSearchOptions& options);

// Whether `what` matches `text` at `position` (used to tell whether the selection is a match).
bool MatchesAt(std::u16string_view text, std::u16string_view what, std::size_t position,
               const CSearchOptions& options);

// The starts of all matches of `what` from the start of the text, none overlapping another; the
// direction of `options` is not used.
std::vector<std::size_t> FindAll(std::u16string_view text, std::u16string_view what,
                                 const CSearchOptions& options);

#pragma once
// Cuts the static HTML of one "&html" page out of a script without running it: comments go,
// the user's subroutines are inlined, only the TRUE branch of a decision stays, nested pages are
// left out. The result has its lines compacted as the interpreter compacts a page.

#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "shared/output_buffer.h"

class CPreviewExtractor {
public:
    // Deepest nesting of inlined subroutines; deeper calls fail the extraction.
    static constexpr int kMaxSubroutineDepth = 64;

    // True when the page `name` was found (and every subroutine it calls); its text is then in
    // Output(). False for a missing page or subroutine, a subroutine that calls itself, or a
    // page too large for the buffer.
    bool BuildPage(std::string_view script, std::string_view name);
    // The page text of the last BuildPage that returned true.
    const COutputBuffer& Output() const { return *m_output; }

private:
    struct Call {
        std::string_view name;  // "&" included
        std::string_view firstArgument;
        std::size_t end = 0;  // just after the name, or after the argument list
        std::size_t nameEnd = 0;
    };

    void RemoveComments(std::string_view script);
    Call ReadCall(std::size_t at) const;
    // Finds the block of `keyword` whose first argument is `argument` and copies it at the
    // current depth; false when it, or a subroutine it calls, is missing.
    bool CopyBlock(std::string_view keyword, std::string_view argument);
    bool WalkBlock(std::size_t at);
    bool Copy(char c);

    std::string m_strSource;
    std::unique_ptr<COutputBuffer> m_output = std::make_unique<COutputBuffer>();
    int m_nDepth = 0;
    bool m_bCopying = true;
    int m_nSwitchOffDepth = 0;
    bool m_bFull = false;
    std::set<std::string, std::less<>> m_activeSubroutines;
};

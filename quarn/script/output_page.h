#pragma once
// Finishing a generated page. The html built-in and the external parser's openfile both collect
// a page in a COutputBuffer and end it here, so both compact, compare and write it alike.

#include <string>
#include <string_view>
#include <vector>

class COutputBuffer;
class COutputRoot;

// Flag bits of a page (the expression words formatcr and formatnone).
inline constexpr int kPageFormatCr = 1;    // compaction B: leading tabs stay
inline constexpr int kPageFormatNone = 2;  // no compaction; wins over kPageFormatCr

// Compaction A without either flag, B with kPageFormatCr alone, none with kPageFormatNone.
void CompactPage(COutputBuffer& page, int flags);

// True when this process can enter the directory `dir` (the HTML root before a page is written).
bool CanEnterDirectory(const std::string& dir);

enum class PageStore { kStored, kRootUnusable, kNotWritten, kOutside };

// Writes `page` to the file `normalName` (normalised, output_path.h) below the HTML root `root`
// as `outputRoot` places it, unless the file holds exactly these bytes already and resetupload is
// 0; a written page's list entry is added to `changedFiles`. kRootUnusable when the root cannot
// be entered, kNotWritten when the file cannot be written, kOutside when its directory resolves
// outside the root; each way the old file stays whole and nothing is recorded. The root is looked
// at only when the page could not be written, to tell the failures apart: a page found or
// written proves the root usable.
PageStore StorePage(COutputRoot& outputRoot, const std::string& root, const std::string& normalName,
                    std::string_view page, std::vector<std::string>& changedFiles);

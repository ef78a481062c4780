#include "quarn/script/output_page.h"

#include <unistd.h>

#include "quarn/script/file_replacement.h"
#include "quarn/script/name_list.h"
#include "quarn/script/output_change.h"
#include "quarn/script/output_root.h"
#include "shared/output_buffer.h"

void CompactPage(COutputBuffer& page, int flags) {
    if (flags & kPageFormatNone) return;
    if (flags & kPageFormatCr) {
        page.CompactLinesKeepTabs();
    } else {
        page.CompactLines();
    }
}

bool CanEnterDirectory(const std::string& dir) {
    // "<dir>/." resolves only through a directory, and X_OK asks for entering it: the test of
    // changing into it, in one call.
    return ::access((dir + "/.").c_str(), X_OK) == 0;
}

PageStore StorePage(COutputRoot& outputRoot, const std::string& root, const std::string& normalName,
                    std::string_view page, std::vector<std::string>& changedFiles) {
    OutputPlace place;
    switch (outputRoot.Place(root, normalName, place)) {
        case PlaceResult::kPlaced:
            break;
        case PlaceResult::kOutside:
            return PageStore::kOutside;
        case PlaceResult::kNoDirectory:
            return CanEnterDirectory(root) ? PageStore::kNotWritten : PageStore::kRootUnusable;
    }
    if (OutputUnchanged(place.dir, place.name, page)) return PageStore::kStored;
    if (!CFileReplacement::ReplaceWith(place.dir, place.name, page)) {
        return CanEnterDirectory(root) ? PageStore::kNotWritten : PageStore::kRootUnusable;
    }
    changedFiles.push_back(ListEntry(normalName));
    return PageStore::kStored;
}

#pragma once
// Where output lands below the HTML root. A name is checked lexically first (output_path.h), but
// a link inside the root may still lead elsewhere; so the directory a name lands in is opened,
// following links, and its real location (as the kernel reports it for the open directory) must
// lie inside the root's real location. The entry is then touched relative to that open
// directory, so a link swapped in after the check cannot redirect it. The last component itself
// is never followed: writers replace a link standing there (file_replacement.h).
//
// The root may itself be, or pass through, a link. It is resolved once and again only when its
// name changes (htmlrootdir), so a page directly in the root costs no extra system call.

#include <fcntl.h>

#include <string>
#include <string_view>

#include "platform/file_descriptor.h"

// An entry below the root: `name` relative to the directory `dir`.
struct OutputPlace {
    int dir = AT_FDCWD;
    // The last component; for a name directly in the root, the root's path + "/" + it.
    std::string name;
    platform::UniqueFd holder;  // keeps `dir` open when it is not AT_FDCWD
};

enum class PlaceResult {
    kPlaced,
    kOutside,      // the directory resolves outside the root
    kNoDirectory,  // the directory it lands in does not exist (or cannot be opened)
};

// One run's view of its HTML root. One owner, one thread.
class COutputRoot {
public:
    // The place of `normalName` (a normalised name, output_path.h) below `root`.
    PlaceResult Place(const std::string& root, std::string_view normalName, OutputPlace& place);
    // The directory that `place` names, resolved: kPlaced when it is a directory inside `root`.
    PlaceResult DirectoryAt(const std::string& root, const OutputPlace& place);

private:
    // True when the open directory `fd` lies inside (or is) the real location of `root`.
    bool Inside(const std::string& root, int fd);

    std::string m_strRoot;      // the root's name as last resolved
    std::string m_strRealRoot;  // its real location; "" when it could not be resolved
};

#pragma once
// What the site benchmarks share: where their runs write, and the check that two programs made
// the same site.

#include <cstddef>
#include <string>

namespace bench {

// Where the runs write: a memory file system when there is one, since on a disk the cost of
// creating tens of thousands of files follows the file system's state (recently deleted inodes,
// other load) for every program alike and hides what each does itself. TEST_TMPDIR chooses
// another place. Sets TEST_TMPDIR for the temporary directories made after it.
std::string ChooseFileSystem();

// Whether `madeDir` holds exactly the `pages` files of `referenceDir`, byte for byte; prints
// what differs, naming the run `what`, when not.
bool SamePages(const char* what, const std::string& referenceDir, const std::string& madeDir,
               std::size_t pages);

}  // namespace bench

#include "bench/site_pages.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "bench/program_run.h"
#include "tests/fixtures/text.h"

namespace bench {

std::string ChooseFileSystem() {
    if (std::getenv("TEST_TMPDIR") == nullptr && ::access("/dev/shm", W_OK | X_OK) == 0)
        ::setenv("TEST_TMPDIR", "/dev/shm", 1);
    const char* dir = std::getenv("TEST_TMPDIR");
    return dir != nullptr ? dir : "/tmp";
}

bool SamePages(const char* what, const std::string& referenceDir, const std::string& madeDir,
               std::size_t pages) {
    const FileSet reference = ScanFiles(referenceDir);
    const std::size_t made = ScanFiles(madeDir).files.size();
    long differing = 0;
    std::string first;
    for (const auto& [path, stamp] : reference.files) {
        const std::string name = path.substr(referenceDir.size());
        if (fixtures::ReadTextFile(path).value_or("") ==
            fixtures::ReadTextFile(madeDir + name).value_or(""))
            continue;
        if (differing++ == 0) first = name;
    }
    if (differing == 0 && reference.files.size() == pages && made == pages) return true;
    std::printf(
        "%s: pages differ: %ld of the reference's %zu (first: %s); %zu made, the site has %zu\n",
        what, differing, reference.files.size(), first.c_str(), made, pages);
    return false;
}

}  // namespace bench

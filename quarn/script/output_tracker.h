#pragma once
// The record every script run leaves in its project directory, so that publishing uploads what
// changed and removes what a run no longer produces:
//   htmlgen.log / dirgen.log   files / directories generated since the last top-level run began
//   htmlgen.o / dirgen.o       the same lists of the top-level run before
//   htmlgen.chg / dirgen.chg   what changed since the last upload, each name once
//   listfile.txt               the listing of the last top-level run and its children
//   lt<level>                  a run's temporary listing, folded into listfile.txt at its end
// List files hold one name per line, relative to the HTML root, ending in CR LF; LF and a lone
// trailing CR are read as well. Names are kept as written and compared whole, in their
// normalised form (output_path.h), so "sub\a.html" and "sub/a.html" are one name and
// "page.html" is never found inside "my page.html".
//
// Built on the stack for one run and used by one thread; the files carry the state between runs.
// Every operation returns 1, or 0 with the message in Message() (the text of the last failure,
// program title applied). An operation stops at its first failure; a list write that fails is cut
// back to the file's old length, so no list ends in a partial entry.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "quarn/script/listing_archive.h"

class COutputTracker {
public:
    static constexpr std::string_view kFilesList = "htmlgen.log";
    static constexpr std::string_view kFilesPrevious = "htmlgen.o";
    static constexpr std::string_view kFilesChanged = "htmlgen.chg";
    static constexpr std::string_view kDirsList = "dirgen.log";
    static constexpr std::string_view kDirsPrevious = "dirgen.o";
    static constexpr std::string_view kDirsChanged = "dirgen.chg";
    static constexpr std::string_view kRunListing = "listfile.txt";

    // The bookkeeping of one finished run, as the interpreter holds it. The four lists stay the
    // caller's; each entry is a name followed by its CR LF.
    struct RunRecord {
        std::string_view scriptPath{};  // as given to the run; shown in the listing
        int level = 0;                  // 0 for a top-level run
        bool succeeded = false;
        bool listing = false;  // listing on for this run (project key listen at its start)
        std::size_t listingLimit = CListingArchive::kDefaultLimit;  // most bytes of its section
        std::span<const std::string> genFiles{};
        std::span<const std::string> chgFiles{};
        std::span<const std::string> genDirs{};
        std::span<const std::string> chgDirs{};
    };

    // `projectDir` is the active project's directory (absolute, or "." for the current one).
    // Relative file names given to the operations, and a relative HTML root (project key
    // roothtml), are taken relative to it.
    explicit COutputTracker(std::string projectDir);
    virtual ~COutputTracker() = default;
    COutputTracker(const COutputTracker&) = delete;
    COutputTracker& operator=(const COutputTracker&) = delete;

    const std::string& Message() const { return m_strMessage; }

    // The temporary listing of a run at `level`: "lt0", "lt1", ..., in the project directory.
    static std::string ListingName(int level);

    // Starts a new set of lists (top-level runs and the publish job): htmlgen.log becomes
    // htmlgen.o and dirgen.log dirgen.o (each replacing the old one), listfile.txt goes, and the
    // project key htmltop is emptied (its write is not checked, like the run's other state keys).
    // A missing file is no error; a file that is there and cannot be removed or renamed fails with
    // ERROR 67, since the next run would otherwise add to the old lists.
    int RotateLogs();

    // Appends the section of one run to listfile.txt (created when missing): a banner naming
    // `scriptPath`, the time of writing and whether the run `succeeded`, then every line of the
    // temporary listing `listingPath` that holds more than white space, trimmed at its end; a body
    // that would pass `limit` bytes is cut there and closed by CListingArchive::CutLine. Then
    // removes the temporary listing. ERROR 67 when the temporary listing cannot be read (nothing
    // is appended) or listfile.txt cannot be written.
    int AppendListing(std::string_view scriptPath, std::string_view listingPath, bool succeeded,
                      std::size_t limit = CListingArchive::kDefaultLimit);

    // Appends every entry of `list`, as it is, to the file `path` (created when missing, also for
    // an empty list). ERROR 67 when it cannot be written.
    int WriteList(std::span<const std::string> list, std::string_view path);

    // Adds to the file `path` every entry of `list` whose name it does not hold yet, in order,
    // each once; entries that are only white space are left out. A file left without any name is
    // removed. ERROR 67 when the file cannot be read or written.
    int MergeList(std::span<const std::string> list, std::string_view path);

    // Deletes under the HTML root what the previous top-level run generated (htmlgen.o,
    // dirgen.o) and the current lists (htmlgen.log, dirgen.log) no longer name: first the files,
    // then each stale directory, last listed first: its plain files go, except those the current
    // htmlgen.log names, and then the directory itself when it is empty. Names that are absolute,
    // hold ":" or a ".." component are skipped; no link is followed at any step, so nothing
    // outside the root is touched, and a link that a list names is removed as an entry. Deletions
    // that fail are left alone. ERROR 94 when htmlgen.o or dirgen.o exists and the HTML root
    // cannot be opened; ERROR 89 when a list is there but cannot be read (nothing that depends on
    // it is deleted).
    int DeleteStaleOutput();

    // Everything a run does with its bookkeeping at its end, in order:
    //  1. with listing on AppendListing of ListingName(level), else that file is removed;
    //  2. MergeList of chgFiles into htmlgen.chg and of chgDirs into dirgen.chg (also after a
    //     failed run);
    //  3. WriteList of genFiles to htmlgen.log and of genDirs to dirgen.log; at level 0 only
    //     when the run and steps 1-2 succeeded, at other levels always, so a failed child's output
    //     stays listed and its parent does not delete it;
    //  4. at level 0, after success and when the project key delh is set: DeleteStaleOutput.
    // Every step of 1-3 that is reached runs even when an earlier one failed; the first failure is
    // the message. Returns 1 when the bookkeeping succeeded; whether the run itself succeeded
    // stays the caller's to report.
    int FinishRun(const RunRecord& run);

private:
    std::string Resolve(std::string_view name) const;
    int Fail(int messageNumber);

    std::string m_strProjectDir;
    std::string m_strMessage;
};

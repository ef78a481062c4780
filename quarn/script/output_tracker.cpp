#include "quarn/script/output_tracker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/file_descriptor.h"
#include "quarn/script/beneath_root.h"
#include "quarn/script/file_replacement.h"
#include "quarn/script/name_list.h"
#include "quarn/script/output_path.h"
#include "quarn/services/html_root.h"
#include "quarn/services/messages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/read_only_file.h"

namespace {

using platform::UniqueFd;

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBannerRule = "+++++++++++++++++++++++++++++++++++++";
// How much of a temporary listing is read, and of a section held, before it goes on.
constexpr std::size_t kListingPiece = 65536;

// Appends to a file in pieces; the first piece opens it, created when missing. A failed write
// cuts the file back to its length before the first piece.
class PieceAppender {
public:
    explicit PieceAppender(std::string path) : m_strPath(std::move(path)) {}

    bool Append(std::string_view bytes) {
        if (!m_fd && !Open()) return false;
        if (platform::WriteAll(m_fd.Get(), bytes)) return true;
        CutBack();
        return false;
    }
    // False when the close fails.
    bool Close() { return m_fd.Close(); }
    // Puts the file back as it was before the first piece: cut to its old length, or removed
    // when the first piece made it.
    void Undo() {
        if (!m_fd) return;
        CutBack();
        m_fd.Close();
        if (m_bCreated) ::unlink(m_strPath.c_str());
    }

private:
    bool Open() {
        m_fd = UniqueFd(
            ::open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666));
        m_bCreated = static_cast<bool>(m_fd);
        if (!m_fd && errno == EEXIST)
            m_fd = UniqueFd(
                ::open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
        if (!m_fd) return false;
        struct stat before {};
        if (::fstat(m_fd.Get(), &before) != 0) return false;
        m_bRegular = S_ISREG(before.st_mode);
        m_nOldSize = before.st_size;
        return true;
    }
    void CutBack() {
        if (m_bRegular) (void)::ftruncate(m_fd.Get(), m_nOldSize);
    }

    std::string m_strPath;
    UniqueFd m_fd;
    bool m_bCreated = false;
    bool m_bRegular = false;
    off_t m_nOldSize = 0;
};

// Appends `bytes` to the file at `path`, created when missing. A failed write cuts the file back
// to its old length; false on any failure, the close included.
bool AppendToFile(const std::string& path, std::string_view bytes) {
    PieceAppender file(path);
    return file.Append(bytes) && file.Close();
}

bool RenameIfPresent(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 || errno == ENOENT;
}

// Deletes every entry of the open directory `dirFd` (named `dirName` below the root) that is not
// a directory, except the files that `keep` names. Links go as entries.
void DeleteDirFiles(int dirFd, const std::string& dirName, const NameSet& keep) {
    const int streamFd = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (streamFd < 0) return;
    DIR* stream = ::fdopendir(streamFd);
    if (!stream) {
        ::close(streamFd);
        return;
    }
    std::vector<std::string> doomed;
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view entryName = entry->d_name;
        if (entryName == "." || entryName == "..") continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(info.st_mode) || keep.count(dirName + "/" + entry->d_name)) continue;
        doomed.emplace_back(entryName);
    }
    ::closedir(stream);
    for (const std::string& entryName : doomed)
        ::unlinkat(dirFd, entryName.c_str(), 0);
}

// Removes the stale directory `name` below `root`: its plain files (but those in `keep`), then
// the directory itself when that left it empty. A link in its place goes as an entry.
void RemoveDirBeneath(int root, const std::string& name, const NameSet& keep) {
    const auto [dir, leaf] = SplitLast(name);
    const UniqueFd parent = OpenDirBeneath(root, dir);
    if (!parent) return;
    struct stat info {};
    if (::fstatat(parent.Get(), leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (S_ISLNK(info.st_mode)) {
        ::unlinkat(parent.Get(), leaf.c_str(), 0);
        return;
    }
    if (!S_ISDIR(info.st_mode)) return;
    if (const UniqueFd self(
            ::openat(parent.Get(), leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        self) {
        DeleteDirFiles(self.Get(), name, keep);
    }
    ::unlinkat(parent.Get(), leaf.c_str(), AT_REMOVEDIR);
}

// One kind of output (files or directories) in the current list and in the previous one.
struct ListComparison {
    NameSet current;           // the names of the current list
    bool hasPrevious = false;  // a previous list exists
    // The names of the previous list that the current one no longer holds and that may be
    // touched under the root, in list order.
    std::vector<std::string> stale;
};

// False when either list is there but cannot be read; a missing list is an empty one.
bool CompareLists(const std::string& currentPath, const std::string& previousPath,
                  ListComparison& result) {
    std::string current;
    std::string previous;
    const ListFileRead currentRead = ReadListFile(currentPath, current);
    const ListFileRead previousRead = ReadListFile(previousPath, previous);
    if (currentRead == ListFileRead::kFailed || previousRead == ListFileRead::kFailed) return false;
    result.current = NameKeys(current);
    result.hasPrevious = previousRead == ListFileRead::kRead;
    result.stale = StaleNames(previous, result.current);
    return true;
}

// Turns the text of a temporary listing into the body of its section: each line that holds more
// than white space, without its trailing white space, ended by CR LF. Text goes on as it comes;
// only a run of white space is held back until what follows shows whether it trails its line.
// A body that would pass `limit` bytes is cut there and closed by the listing's cut line.
class ListingLines {
public:
    ListingLines(std::string& out, std::size_t limit)
        : m_out(out), m_nRoom(limit), m_nLimit(limit) {}

    void Add(std::string_view text) {
        while (!m_bCut) {
            const std::size_t lf = text.find('\n');
            AddToLine(text.substr(0, lf));
            if (lf == std::string_view::npos) return;
            EndLine();
            text.remove_prefix(lf + 1);
        }
    }
    // A last line needs no LF.
    void Finish() { EndLine(); }
    // The limit was reached: nothing more is taken.
    bool Cut() const { return m_bCut; }

private:
    void AddToLine(std::string_view part) {
        const std::size_t last = part.find_last_not_of(kTrailingSpace);
        if (last == std::string_view::npos) {
            m_strBlanks.append(part);
            return;
        }
        Emit(m_strBlanks);
        Emit(part.substr(0, last + 1));
        m_strBlanks.assign(part.substr(last + 1));
        m_bContent = true;
    }
    void EndLine() {
        if (m_bContent) Emit(kLineEnd);
        m_bContent = false;
        m_strBlanks.clear();
    }
    void Emit(std::string_view bytes) {
        if (m_bCut) return;
        if (bytes.size() <= m_nRoom) {
            m_out.append(bytes);
            m_nRoom -= bytes.size();
            return;
        }
        // What fits, without white space that would trail the cut line.
        std::string_view fits = bytes.substr(0, m_nRoom);
        const std::size_t last = fits.find_last_not_of(kTrailingSpace);
        fits = last == std::string_view::npos ? std::string_view() : fits.substr(0, last + 1);
        m_out.append(fits);
        if (m_bContent || !fits.empty()) m_out.append(kLineEnd);
        m_out.append(CListingArchive::CutLine(m_nLimit));
        m_nRoom = 0;
        m_bCut = true;
    }

    static constexpr std::string_view kTrailingSpace = " \t\r\v\f";
    std::string& m_out;
    std::string m_strBlanks;  // white space after the line's last content so far
    bool m_bContent = false;  // the line has content
    bool m_bCut = false;
    std::size_t m_nRoom;  // bytes the body may still take
    std::size_t m_nLimit;
};

// Appends `section` and then the body made of `listing` to `out`, in pieces. False when the
// listing cannot be read, memory runs out or `out` cannot be written; `out` is then as it was.
bool CopyListing(const CReadOnlyFile& listing, std::size_t limit, std::string& section,
                 PieceAppender& out) {
    try {
        ListingLines lines(section, limit);
        char chunk[kListingPiece];
        for (;;) {
            const ssize_t got = listing.Read(chunk, sizeof chunk);
            if (got < 0) {
                out.Undo();
                return false;
            }
            if (got == 0) break;
            lines.Add(std::string_view(chunk, static_cast<std::size_t>(got)));
            if (section.size() >= kListingPiece) {
                if (!out.Append(section)) return false;
                section.clear();
            }
            // The rest of a cut listing is never read.
            if (lines.Cut()) break;
        }
        lines.Finish();
        for (int i = 0; i < 4; ++i)
            section.append(kLineEnd);
    } catch (const std::bad_alloc&) {
        out.Undo();
        return false;
    } catch (const std::length_error&) {
        out.Undo();
        return false;
    }
    return out.Append(section);
}

std::string LocalRunDate() {
    const std::time_t now = platform::CurrentTime();
    std::tm local{};
    ::localtime_r(&now, &local);
    // What "%x at %X" gives in the C locale; the process locale must not change the listing.
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%m/%d/%y at %H:%M:%S", &local);
    return std::string(text, length);
}

}  // namespace

COutputTracker::COutputTracker(std::string projectDir) : m_strProjectDir(std::move(projectDir)) {}

std::string COutputTracker::ListingName(int level) {
    return "lt" + std::to_string(level);
}

std::string COutputTracker::Resolve(std::string_view name) const {
    return PathBelowRoot(m_strProjectDir, name);
}

int COutputTracker::Fail(int messageNumber) {
    m_strMessage = LoadMessage(messageNumber);
    return 0;
}

int COutputTracker::RotateLogs() {
    const std::pair<std::string_view, std::string_view> rotations[] = {
        {kFilesList, kFilesPrevious},
        {kDirsList, kDirsPrevious},
    };
    for (const auto& [current, previous] : rotations) {
        if (!RemoveIfPresent(Resolve(previous)) ||
            !RenameIfPresent(Resolve(current), Resolve(previous))) {
            return Fail(67);
        }
    }
    if (!RemoveIfPresent(Resolve(kRunListing))) return Fail(67);
    g_settings.Set(g_strProject.Get(), project_key::htmltop, "");
    return 1;
}

int COutputTracker::AppendListing(std::string_view scriptPath, std::string_view listingPath,
                                  bool succeeded, std::size_t limit) {
    // The temporary listing holds every page of the run, so it is copied through in pieces
    // instead of being read whole.
    const std::string listingFile = Resolve(listingPath);
    const CReadOnlyFile listing(listingFile);
    struct stat info {};
    if (!listing.IsRegularFile(info)) return Fail(67);

    std::string section;
    section.append(kBannerRule).append(kLineEnd);
    section.append("+ Quarn Scripter Output Listing").append(kLineEnd);
    section.append("+ Script file: ").append(scriptPath).append(kLineEnd);
    section.append("+ Run date: ").append(LocalRunDate()).append(kLineEnd);
    section.append("+ Execution terminated with")
        .append(succeeded ? "out" : "")
        .append(" errors.")
        .append(kLineEnd);
    section.append(kBannerRule).append(kLineEnd);
    for (int i = 0; i < 3; ++i)
        section.append(kLineEnd);

    PieceAppender runListing(Resolve(kRunListing));
    if (!CopyListing(listing, limit, section, runListing) || !runListing.Close()) return Fail(67);
    // A listing left behind is harmless: the next run at this level recreates it empty.
    RemoveIfPresent(listingFile);
    return 1;
}

int COutputTracker::WriteList(std::span<const std::string> list, std::string_view path) {
    std::string bytes;
    for (const std::string& entry : list)
        bytes += entry;
    return AppendToFile(Resolve(path), bytes) ? 1 : Fail(67);
}

int COutputTracker::MergeList(std::span<const std::string> list, std::string_view path) {
    const std::string file = Resolve(path);
    std::string existing;
    if (ReadListFile(file, existing) == ListFileRead::kFailed) return Fail(67);
    NameSet known = NameKeys(existing);
    std::string added;
    for (const std::string& entry : list) {
        const std::string_view name = TrimTrailingSpace(entry);
        if (!name.empty() && known.insert(NameKey(name)).second) added += entry;
    }
    if (known.empty()) {
        RemoveIfPresent(file);
        return 1;
    }
    return AppendToFile(file, added) ? 1 : Fail(67);
}

int COutputTracker::DeleteStaleOutput() {
    ListComparison files;
    if (!CompareLists(Resolve(kFilesList), Resolve(kFilesPrevious), files)) return Fail(89);
    if (files.hasPrevious) {
        const UniqueFd root = OpenDirectory(HtmlRootDirectory(m_strProjectDir));
        if (!root) return Fail(94);
        for (const std::string& name : files.stale)
            DeleteFileBeneath(root.Get(), name);
    }
    ListComparison dirs;
    if (!CompareLists(Resolve(kDirsList), Resolve(kDirsPrevious), dirs)) return Fail(89);
    if (dirs.hasPrevious) {
        const UniqueFd root = OpenDirectory(HtmlRootDirectory(m_strProjectDir));
        if (!root) return Fail(94);
        // Last listed first: a directory is listed before the subdirectories made in it.
        for (auto it = dirs.stale.rbegin(); it != dirs.stale.rend(); ++it) {
            RemoveDirBeneath(root.Get(), *it, files.current);
        }
    }
    return 1;
}

int COutputTracker::FinishRun(const RunRecord& run) {
    bool ok = true;
    std::string firstMessage;
    const auto note = [&](int result) {
        if (!result && ok) {
            ok = false;
            firstMessage = m_strMessage;
        }
    };
    if (run.listing) {
        note(
            AppendListing(run.scriptPath, ListingName(run.level), run.succeeded, run.listingLimit));
    } else {
        RemoveIfPresent(Resolve(ListingName(run.level)));
    }
    note(MergeList(run.chgFiles, kFilesChanged));
    note(MergeList(run.chgDirs, kDirsChanged));
    if (run.level > 0 || (ok && run.succeeded)) {
        note(WriteList(run.genFiles, kFilesList));
        note(WriteList(run.genDirs, kDirsList));
    }
    if (run.level == 0 && ok && run.succeeded &&
        g_settings.Get(g_strProject.Get(), project_key::delh) != 0) {
        note(DeleteStaleOutput());
    }
    if (!ok) m_strMessage = firstMessage;
    return ok ? 1 : 0;
}

#include "quarn/script/functions/output_functions.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>

#include "quarn/script/file_replacement.h"
#include "quarn/script/functions/function_support.h"
#include "quarn/script/name_list.h"
#include "quarn/script/output_change.h"
#include "quarn/script/output_guards.h"
#include "quarn/script/output_path.h"
#include "quarn/script/output_root.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/output_buffer.h"
#include "shared/read_only_file.h"

using namespace script_functions;

namespace {

constexpr std::size_t kCompareChunk = 2048;
constexpr std::size_t kCopyChunk = 65536;

// mkldir's names: no leading '.' at all.
std::optional<std::string> CheckedLocalDirName(std::string_view name) {
    if (name.starts_with('.')) return std::nullopt;
    return NormaliseOutputName(name);
}

enum class DirectoryMade { kFailed, kFound, kMade };

// Makes the directory `normal` (one level) below the HTML root unless it is there already. A
// directory it would land in outside the root, through a link, is refused with ERROR 95, and one
// that is not a directory afterwards with ERROR 122.
DirectoryMade MakeDirectoryBelowRoot(CScriptInterpreter& interp, const std::string& normal) {
    std::string root;
    OutputPlace place;
    if (!PlaceBelowHtmlRoot(interp, normal, 122, root, place)) return DirectoryMade::kFailed;
    PlaceResult found = interp.m_outputRoot.DirectoryAt(root, place);
    if (found == PlaceResult::kPlaced) return DirectoryMade::kFound;
    if (found == PlaceResult::kNoDirectory) {
        ::mkdirat(place.dir, place.name.c_str(), 0777);
        found = interp.m_outputRoot.DirectoryAt(root, place);
        if (found == PlaceResult::kPlaced) return DirectoryMade::kMade;
    }
    Fail(interp, found == PlaceResult::kOutside ? 95 : 122);
    return DirectoryMade::kFailed;
}

void ApplyHtmlFlags(CScriptInterpreter& interp, int flags) {
    if (flags & CFnHtml::kCr2BrStrip) {
        interp.m_nLineMode = 2;
    } else if (flags & CFnHtml::kCr2Br) {
        interp.m_nLineMode = 1;
    }
    interp.m_bEntities = (flags & CFnHtml::kHiAscii) ? 1 : 0;
}

bool CopyFile(const CReadOnlyFile& source, const OutputPlace& target) {
    CFileReplacement replacement(target.dir, target.name);
    if (!replacement.Open()) return false;
    char chunk[kCopyChunk];
    for (;;) {
        const ssize_t got = source.Read(chunk, sizeof chunk);
        if (got < 0) return false;
        if (got == 0) break;
        if (!replacement.Write(std::string_view(chunk, static_cast<std::size_t>(got))))
            return false;
    }
    return replacement.Commit();
}

std::string FormatLocalTime(const struct timespec& time) {
    std::tm local{};
    char text[64];
    std::size_t length = 0;
    if (localtime_r(&time.tv_sec, &local) != nullptr) {
        length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    }
    return std::string(text, length);
}

// The creation time where the file system records one, else the last modification, which is
// the nearest moment known not to come before it.
struct timespec CreationTime(const std::string& path, const struct stat& info) {
    struct statx extended {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &extended) == 0 &&
        (extended.stx_mask & STATX_BTIME)) {
        return {static_cast<time_t>(extended.stx_btime.tv_sec),
                static_cast<long>(extended.stx_btime.tv_nsec)};
    }
    return info.st_mtim;
}

// The attribute byte: 1 read-only (no write permission for the owner), 2 hidden (a name that
// starts with '.'), 16 directory, 32 archive (every other file).
int AttributeByte(std::string_view path, const struct stat& info) {
    int attributes = S_ISDIR(info.st_mode) ? 16 : 32;
    if (!(info.st_mode & S_IWUSR)) attributes |= 1;
    const std::size_t slash = path.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (base.starts_with('.') && base != "." && base != "..") attributes |= 2;
    return attributes;
}

}  // namespace

ScriptResult CFnHtml::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 2)) return script_result::kFailed;
    const OutputModesGuard modes(interp);
    interp.m_nLineMode = 0;
    interp.m_bEntities = 0;
    int flags = 0;
    if (interp.m_nArgCount == 2) {
        if (!EvalIntArg(interp, Arg(interp, 1), flags)) return script_result::kFailed;
        ApplyHtmlFlags(interp, flags);
    }
    if (!interp.EvalStringArg(Arg(interp, 0))) return script_result::kFailed;
    const std::string_view expanded = interp.m_strMessage;
    const std::string name(
        expanded.substr(std::min(expanded.find_first_not_of(" \t\r\n\v\f"), expanded.size())));
    const std::optional<std::string> normal = CheckedOutputName(name);
    if (!normal) return Fail(interp, 95);

    const std::string project = g_strProject.Get();
    if (g_settings.Get(project, project_key::htmltop).empty()) {
        g_settings.Set(project, project_key::htmltop, *normal);
    }
    interp.m_astrGenFiles.push_back(ListEntry(*normal));
    interp.WriteList("Generating " + Quoted(name) + " HTML file.\r\n");

    COutputBuffer buffer;
    ScriptResult result;
    {
        const OpenOutputGuard output(interp, buffer);
        if (!interp.ExpectBlockOpen()) return script_result::kFailed;
        result = RunClosedBlock(interp);
    }
    if (result == script_result::kFailed) return script_result::kFailed;
    CompactPage(buffer, flags);

    switch (StorePage(interp.m_outputRoot, interp.HtmlRootDir(), *normal, buffer.GetWrittenText(),
                      interp.m_astrChgFiles)) {
        case PageStore::kStored:
            interp.WriteList("HTML file " + Quoted(name) + " closed\r\n");
            return result;
        case PageStore::kOutside:
            return Fail(interp, 95);
        case PageStore::kRootUnusable:
            return Fail(interp, 94);
        case PageStore::kNotWritten:
            break;
    }
    return Fail(interp, 81);
}

ScriptResult CFnDirectory::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return script_result::kFailed;
    if (!interp.EvalStringArg(Arg(interp, 0))) return script_result::kFailed;
    const std::string name = interp.m_strMessage;
    const std::optional<std::string> normal = CheckedOutputName(name);
    if (!normal) return Fail(interp, 95);
    interp.m_astrGenDirs.push_back(ListEntry(*normal));
    interp.WriteList("Creating " + Quoted(name) + "  directory.\r\n");

    const DirectoryMade made = MakeDirectoryBelowRoot(interp, *normal);
    if (made == DirectoryMade::kFailed) return script_result::kFailed;
    if (made == DirectoryMade::kFound && !ResetUploadSet()) return script_result::kDone;
    interp.m_astrChgDirs.push_back(ListEntry(*normal));
    return script_result::kDone;
}

ScriptResult CFnMkldir::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return script_result::kFailed;
    if (!interp.EvalStringArg(Arg(interp, 0))) return script_result::kFailed;
    const std::optional<std::string> normal = CheckedLocalDirName(interp.m_strMessage);
    if (!normal) return Fail(interp, 95);
    if (MakeDirectoryBelowRoot(interp, *normal) == DirectoryMade::kFailed)
        return script_result::kFailed;
    return script_result::kDone;
}

bool CFnFilelink::FilesEqual(const CReadOnlyFile& a, const CReadOnlyFile& b) {
    struct stat infoA {};
    struct stat infoB {};
    if (!a.IsRegularFile(infoA) || !b.IsRegularFile(infoB)) return false;
    if (infoA.st_size != infoB.st_size) return false;
    char chunkA[kCompareChunk];
    char chunkB[kCompareChunk];
    for (;;) {
        const ssize_t gotA = a.Read(chunkA, sizeof chunkA);
        const ssize_t gotB = b.Read(chunkB, sizeof chunkB);
        if (gotA < 0 || gotB < 0 || gotA != gotB) return false;
        if (gotA == 0) return true;
        if (std::memcmp(chunkA, chunkB, static_cast<std::size_t>(gotA)) != 0) return false;
    }
}

ScriptResult CFnFilelink::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 2, 2)) return script_result::kFailed;
    if (!interp.EvalStringArg(Arg(interp, 0))) return script_result::kFailed;
    const std::string sourceName = interp.m_strMessage;
    if (!interp.EvalStringArg(Arg(interp, 1))) return script_result::kFailed;
    const std::string targetName = interp.m_strMessage;
    const std::optional<std::string> normal = CheckedOutputName(targetName);
    if (!normal) return Fail(interp, 95);
    interp.m_astrGenFiles.push_back(ListEntry(*normal));

    std::string root;
    if (!OpenHtmlRoot(interp, root)) return script_result::kFailed;
    OutputPlace target;
    const PlaceResult placed = interp.m_outputRoot.Place(root, *normal, target);
    if (placed == PlaceResult::kOutside) return Fail(interp, 95);
    const std::string sourcePath = PathBelowRoot(root, sourceName);
    const CReadOnlyFile source(sourcePath);
    struct stat sourceInfo {};
    if (!source.IsRegularFile(sourceInfo)) return Fail(interp, 11);
    if (placed == PlaceResult::kNoDirectory) return Fail(interp, 12);

    // Copying a file onto itself would truncate it before reading it.
    struct stat targetInfo {};
    const bool sameFile = ::fstatat(target.dir, target.name.c_str(), &targetInfo, 0) == 0 &&
                          targetInfo.st_dev == sourceInfo.st_dev &&
                          targetInfo.st_ino == sourceInfo.st_ino;
    const bool changed =
        !sameFile && !FilesEqual(CReadOnlyFile(sourcePath), CReadOnlyFile(target.dir, target.name));
    if (changed || ResetUploadSet()) {
        if (changed && !CopyFile(source, target)) return Fail(interp, 12);
        interp.m_astrChgFiles.push_back(ListEntry(*normal));
    }
    interp.WriteList(targetName + " linked.");
    return script_result::kDone;
}

ScriptResult CFnFiletest::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 2, 3)) return script_result::kFailed;
    if (!interp.EvalStringArg(Arg(interp, 1))) return script_result::kFailed;
    const std::string fileName = interp.m_strMessage;
    int code = kExist;
    if (interp.m_nArgCount == 3 && !EvalIntArg(interp, Arg(interp, 2), code)) {
        return script_result::kFailed;
    }
    std::string root;
    if (!OpenHtmlRoot(interp, root)) return script_result::kFailed;
    const std::string path = PathBelowRoot(root, fileName);

    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    std::string value;
    if (code == kExist) {
        value = exists ? "1" : "0";
    } else if (!exists) {
        return Fail(interp, 89);
    } else if (code == kCtime) {
        value = FormatLocalTime(CreationTime(path, info));
    } else if (code == kMtime) {
        value = FormatLocalTime(info.st_mtim);
    } else if (code == kAtime) {
        value = FormatLocalTime(info.st_atim);
    } else if (code == kFsize) {
        value = std::to_string(static_cast<long long>(info.st_size));
    } else if (code == kFattr) {
        value = std::to_string(AttributeByte(path, info));
    } else {
        return Fail(interp, 123);
    }
    return interp.SetVariable(Arg(interp, 0), value);
}

ScriptResult CFnHtmlrootdir::Execute() {
    CScriptInterpreter& interp = *m_pInterp;
    if (!CheckArgCount(interp, 1, 1)) return script_result::kFailed;
    if (!interp.EvalStringArg(Arg(interp, 0))) return script_result::kFailed;
    const std::string path = interp.m_strMessage;
    interp.WriteList("Root HTML directory set to: " + Quoted(path) + "\r\n");
    // Later calls would write below the old root while the run reports success.
    if (!g_settings.Set(g_strProject.Get(), project_key::roothtml, path)) {
        return Fail(interp, 67);
    }
    return script_result::kDone;
}

#include "quarn/app/project_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/ascii.h"
#include "quarn/app/project_name.h"
#include "quarn/app/project_paths.h"
#include "quarn/app/project_switch.h"
#include "quarn/script/file_replacement.h"
#include "quarn/script/name_list.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr const char* kExists =
    "A project of this name already exists. Please choose another name.";
constexpr const char* kDefault = "default";

std::string ProjectPath(const std::string& name) {
    return g_strProgramDir + "/projects/" + name;
}

void SetListEntry(size_t index, std::string_view name) {
    const std::string key = ProjectListKey(static_cast<int>(index));
    g_settings.Set(kGlobalSection, StringKey{key, ""}, name);
}

// Each write rewrites the settings file, so only the entries that change are written; the list
// stays whole for other readers in between.
void WriteProjectList(const std::vector<std::string>& old, const std::vector<std::string>& kept) {
    for (size_t i = 0; i < old.size(); ++i) {
        const std::string_view now = i < kept.size() ? std::string_view(kept[i]) : "";
        if (now != old[i]) SetListEntry(i, now);
    }
}

// Removes every entry of `dir` that is not a directory (links as links: lstat), then `dir`
// itself when that left it empty.
void RemoveFilesAndDir(const std::string& dir) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        struct stat info {};
        if (::lstat(entry.path().c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
            ::unlink(entry.path().c_str());
    }
    ::rmdir(dir.c_str());
}

}  // namespace

int CProjectCommands::CheckNewName(std::string_view typed, std::string* name) {
    const std::vector<std::string> listed = g_settings.ReadProjectList();
    const auto exists = [&](std::string_view candidate) {
        return std::any_of(listed.begin(), listed.end(), [&](const std::string& project) {
            return platform::EqualsIgnoringAsciiCase(project, candidate);
        });
    };
    const size_t start = typed.find_first_not_of(" \t\r\n\v\f");
    const std::string_view trimmed =
        start == std::string_view::npos ? std::string_view() : typed.substr(start);
    switch (CheckProjectName(trimmed)) {
        case ProjectNameFault::kEmpty:
            m_strMessage = "You cannot create a new project without giving it a name.";
            return 0;
        case ProjectNameFault::kReserved:
            m_strMessage = kExists;
            return 0;
        case ProjectNameFault::kIllegalCharacter:
            m_strMessage =
                "The following characters are illegal in project names.\n"
                "\\ / : * ? \" < > | [ ] and control characters";
            return 0;
        case ProjectNameFault::kEndsInBlank:
            m_strMessage = "Project names cannot end with a blank.";
            return 0;
        case ProjectNameFault::kNone:
            break;
    }
    // The name as typed and as it will be stored: " shop" would otherwise list "shop" twice.
    if (exists(typed) || exists(trimmed)) {
        m_strMessage = kExists;
        return 0;
    }
    *name = std::string(trimmed);
    return 1;
}

int CProjectCommands::Create(const std::string& name) {
    const size_t slot = g_settings.ReadProjectList().size();
    SetListEntry(slot, name);
    std::error_code error;
    std::filesystem::create_directories(ProjectPath(name) + "/html", error);
    if (error || !EnterListedProject(name)) {
        SetListEntry(slot, "");
        m_strMessage = "The directory of project \"" + name + "\" could not be created.";
        return 0;
    }
    g_settings.Set(kGlobalSection, global_key::defprofile, name);
    const int script = ::open((ProjectPath(name) + "/Script1.scp").c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (script >= 0) ::close(script);
    return 1;
}

int CProjectCommands::CheckDelete(const std::string& name) {
    if (name == kDefault) {
        m_strMessage = "You cannot delete the default project.";
        return 0;
    }
    return 1;
}

std::string CProjectCommands::DeleteQuestion(const std::string& name) {
    return "This action will permanently remove all files and settings stored under project \"" +
           name + "\". Are you sure you want to continue?";
}

int CProjectCommands::Delete(const std::string& name) {
    if (!CheckDelete(name)) return 0;
    g_settings.File().DeleteSection(name);
    // A valid name is one plain component, so the path is a direct child of "projects".
    if (CheckProjectName(name) == ProjectNameFault::kNone) {
        const std::string dir = ProjectPath(name);
        struct stat info {};
        if (::lstat(dir.c_str(), &info) == 0) {
            if (S_ISDIR(info.st_mode)) {
                RemoveFilesAndDir(dir + "/html");
                RemoveFilesAndDir(dir);
            } else {
                ::unlink(dir.c_str());
            }
        }
    }
    const std::vector<std::string> old = g_settings.ReadProjectList();
    std::vector<std::string> kept;
    std::copy_if(old.begin(), old.end(), std::back_inserter(kept),
                 [&](const std::string& project) { return project != name; });
    WriteProjectList(old, kept);
    g_settings.Set(kGlobalSection, global_key::defprofile, kDefault);
    std::error_code error;
    std::filesystem::create_directories(ProjectPath(kDefault) + "/html", error);
    if (!EnterListedProject(kDefault)) {
        m_strMessage = "Unable to change to project \"default\".";
        return 0;
    }
    return 1;
}

int CProjectCommands::ResetUploadStatus() {
    std::string error;
    if (!g_settings.Set(g_strProject.Get(), project_key::resetupload, 1, &error)) {
        m_strMessage = error;
        return 0;
    }
    std::string files;
    const std::string log = ProjectFile("htmlgen.log");
    const std::string changed = ProjectFile("htmlgen.chg");
    switch (ReadListFile(log, files)) {
        case ListFileRead::kMissing:
            return 1;
        case ListFileRead::kFailed:
            m_strMessage = "Unable to read " + log + ": " + std::strerror(errno);
            return 0;
        case ListFileRead::kRead:
            break;
    }
    if (!CFileReplacement::ReplaceWith(changed, files)) {
        m_strMessage = "Unable to write " + changed + ": " + std::strerror(errno);
        return 0;
    }
    return 1;
}

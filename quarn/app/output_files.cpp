#include "quarn/app/output_files.h"

#include "quarn/app/project_paths.h"
#include "quarn/script/file_replacement.h"
#include "quarn/script/name_list.h"
#include "quarn/script/output_tracker.h"
#include "quarn/services/html_root.h"
#include "quarn/services/messages.h"

std::vector<std::string> OutputFileNames(bool changedOnly) {
    const std::string_view list =
        changedOnly ? COutputTracker::kFilesChanged : COutputTracker::kFilesList;
    std::string text;
    if (ReadListFile(ProjectFile(list), text) != ListFileRead::kRead) return {};
    std::vector<std::string> names;
    for (std::string_view line : TrimmedLines(text))
        names.emplace_back(line);
    return names;
}

int AddToChangeList(std::string_view name, std::string& message) {
    const std::string path = ProjectFile(COutputTracker::kFilesChanged);
    std::string text;
    if (ReadListFile(path, text) == ListFileRead::kFailed) {
        message = LoadMessage(28);
        return 0;
    }
    if (NameKeys(text).count(NameKey(name))) return 1;
    if (!text.empty() && text.back() == '\r') {
        text += '\n';
    } else if (!text.empty() && text.back() != '\n') {
        text += "\r\n";
    }
    text.append(name).append("\r\n");
    if (!CFileReplacement::ReplaceWith(path, text)) {
        message = LoadMessage(28);
        return 0;
    }
    return 1;
}

int OutputFilePath(std::string_view name, std::string& path, std::string& message) {
    const std::string root = HtmlRootDirectory(ProjectDirectory());
    if (!IsOpenableDirectory(root)) {
        message = LoadMessage(94);
        return 0;
    }
    path = root + "/" + std::string(name);
    return 1;
}

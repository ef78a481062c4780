#include "quarn/app/upload.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/utf8.h"
#include "quarn/app/project_paths.h"
#include "quarn/script/file_replacement.h"
#include "quarn/script/output_path.h"
#include "quarn/script/output_tracker.h"
#include "quarn/services/ftp_client.h"
#include "quarn/services/html_root.h"
#include "quarn/services/messages.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSuccess = "Files successfully transferred to web server.";
constexpr std::string_view kNothingToUpload = "Upload cancelled- no files require update.";

struct UploadLists {
    std::string_view files;
    std::string_view dirs;  // "" for none
};

constexpr UploadLists kListsByType[] = {
    {COutputTracker::kFilesChanged, COutputTracker::kDirsChanged},
    {COutputTracker::kFilesList, COutputTracker::kDirsList},
    {CUploadJob::kDirectoryList, {}},
};

bool IsPlainFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string Quoted(std::string_view prefix, std::string_view name) {
    std::string text(prefix);
    text.append("\"").append(name).append("\"");
    return text;
}

// Every plain file directly in `root` whose name reads back from a list as itself, sorted, each
// followed by CR LF. False when the directory cannot be read.
bool ListRootFiles(const std::string& root, std::string& list) {
    DIR* dir = ::opendir(root.c_str());
    if (!dir) return false;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (NormaliseOutputName(name) == name && IsPlainFile(root + "/" + name))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        list.append(name).append(kLineEnd);
    return true;
}

// dir.txt for an upload of the whole HTML root: 0 with the final text in `result` when the root
// cannot be read (ERROR 94, and no list is left) or the list cannot be written (ERROR 28).
int WriteDirectoryList(const std::string& listPath, std::string& result) {
    CFileReplacement list(listPath);
    if (!list.Open()) {
        result = LoadMessage(28);
        return 0;
    }
    std::string names;
    if (!ListRootFiles(HtmlRootDirectory(ProjectDirectory()), names)) {
        RemoveIfPresent(listPath);
        result = LoadMessage(94);
        return 0;
    }
    if (!list.Write(names) || !list.Commit()) {
        result = LoadMessage(28);
        return 0;
    }
    return 1;
}

}  // namespace

CUploadJob::CUploadJob(platform::MessageQueue* hNotifyWnd) : m_hNotifyWnd(hNotifyWnd) {}

int CUploadJob::Run(int type) {
    m_nType = type;
    m_strProject = g_strProject.Get();
    m_strHtmlRoot = HtmlRootDirectory(ProjectDirectory());
    m_strMessage.clear();

    // A cancel that came earlier in the job sends nothing.
    int ok = g_bCancelRequested ? 0 : Upload();
    Post(FRAME_PROGRESS_CLOSE);
    if (ok) {
        m_strMessage = WithProgramTitle(kSuccess);
    }
    if (g_bCancelRequested) {
        m_strMessage = LoadMessage(31);
        ok = 0;
    }
    return ok;
}

void CUploadJob::SetStatusText(std::string text) {
    if (m_hNotifyWnd) PostStatusText(*m_hNotifyWnd, std::move(text));
}

void CUploadJob::Post(unsigned code) {
    if (m_hNotifyWnd) m_hNotifyWnd->Post(WM_FRAMENOTIFY, code, 0);
}

int CUploadJob::Fail(int messageNumber, std::string_view detail) {
    m_strMessage = LoadMessage(messageNumber, detail);
    return 0;
}

std::string CUploadJob::RootPath(std::string_view name) const {
    return m_strHtmlRoot + "/" + std::string(name);
}

int CUploadJob::Upload() {
    if (m_nType < UPLOAD_CHANGED_ONLY || m_nType > UPLOAD_ALL_IN_DIRECTORY) return Fail(28);
    const std::string& project = m_strProject;
    CFtpClient ftp;
    if (!ftp.LogOn(g_settings.Get(project, project_key::wsname),
                   g_settings.Get(project, project_key::ftpport),
                   g_settings.Get(project, project_key::wslogon),
                   g_settings.Get(project, project_key::wspasswd),
                   g_settings.Get(project, project_key::wsaccount),
                   g_settings.Get(project, project_key::proxyname),
                   g_settings.Get(project, project_key::proxylogon),
                   g_settings.Get(project, project_key::proxypass),
                   g_settings.Get(project, project_key::proxyport),
                   g_settings.Get(project, project_key::useproxy))) {
        return Fail(26, ftp.GetMessage());
    }
    SetStatusText("Moving HTML files to web server.");
    const std::string uploadDir = g_settings.Get(project, project_key::wsfilepath);
    if (!uploadDir.empty() && !ftp.FtpCommand("CWD " + uploadDir)) return Fail(27);

    if (!MakeDirectories(ftp)) return 0;
    std::vector<std::string> files;
    if (!CollectFiles(files) || !TransferFiles(ftp, files)) return 0;
    if (m_nType == UPLOAD_ALL_IN_DIRECTORY) return 1;
    if (!MarkFilesUploaded(ftp) || !MarkDirsUploaded(ftp)) return 0;
    // A failed write only makes the next run count every output file as changed.
    g_settings.Set(project, project_key::resetupload, 0);
    return 1;
}

int CUploadJob::ReadUploadList(std::string_view list, std::string& text, bool& present) {
    switch (ReadListFile(ProjectFile(list), text)) {
        case ListFileRead::kRead:
            present = true;
            return 1;
        case ListFileRead::kMissing:
            present = false;
            return 1;
        case ListFileRead::kFailed:
            break;
    }
    return Fail(28);
}

int CUploadJob::ReadStaleNames(const std::string& current, std::string_view uploadedList,
                               std::vector<std::string>& stale) {
    std::string previous;
    bool present = false;
    if (!ReadUploadList(uploadedList, previous, present)) return 0;
    stale = StaleNames(previous, NameKeys(current));
    return g_bCancelRequested ? 0 : 1;
}

int CUploadJob::RecordUploaded(const std::string& current, std::string_view uploadedList,
                               std::string_view changedList) {
    if (!CFileReplacement::ReplaceWith(ProjectFile(uploadedList), current) ||
        !RemoveIfPresent(ProjectFile(changedList))) {
        return Fail(28);
    }
    return 1;
}

int CUploadJob::MakeDirectories(CFtpClient& ftp) {
    const std::string_view list = kListsByType[m_nType].dirs;
    if (list.empty()) return 1;
    std::string text;
    bool present = false;
    if (!ReadUploadList(list, text, present)) return 0;
    if (!present) return 1;
    if (!IsOpenableDirectory(m_strHtmlRoot)) return Fail(94);
    // An existing directory refuses MKD, which does no harm.
    for (const std::string& name : NamesUnderRoot(text)) {
        ftp.FtpCommand("MKD " + name);
        SetStatusText(Quoted("Creating directory ", name));
    }
    return 1;
}

int CUploadJob::CollectFiles(std::vector<std::string>& files) {
    std::string text;
    bool present = false;
    if (!ReadUploadList(kListsByType[m_nType].files, text, present)) return 0;
    if (!present) return 1;
    if (!IsOpenableDirectory(m_strHtmlRoot)) return Fail(94);
    const bool missingIsError = g_settings.Get(m_strProject, project_key::lfnferror) != 0;
    for (std::string& name : NamesUnderRoot(text)) {
        if (IsPlainFile(RootPath(name))) {
            files.push_back(std::move(name));
        } else if (missingIsError) {
            return Fail(30);
        }
    }
    return 1;
}

int CUploadJob::TransferFiles(CFtpClient& ftp, const std::vector<std::string>& files) {
    const int passive = g_settings.Get(m_strProject, project_key::ftppasv);
    const bool resume = g_settings.Get(m_strProject, project_key::resumefailedupload) != 0;
    Post(FRAME_PROGRESS_OPEN);
    NameSet uploaded;
    const std::size_t count = files.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = files[i];
        g_nProgressPos = static_cast<int>(100 * i / count);
        std::string caption = "Uploading file " + std::to_string(i + 1) + " of " +
                              std::to_string(count) + "  (" + name + ")";
        platform::CutAtUtf8Boundary(caption, kMaxProgressText);
        g_szProgressText.Set(std::move(caption));
        Post(FRAME_PROGRESS_UPDATE);

        const int sent = ftp.TransferFile(name, RootPath(name), passive, 0);
        if (sent) uploaded.insert(name);
        if (!sent || g_bCancelRequested) {
            if (resume && !WriteResumeList(files, uploaded)) return 0;
            return Fail(29, ftp.GetMessage());
        }
    }
    return 1;
}

int CUploadJob::WriteResumeList(const std::vector<std::string>& files, const NameSet& uploaded) {
    const std::string path = ProjectFile(COutputTracker::kFilesChanged);
    // A changed-only upload lists only what htmlgen.chg named; a full upload must not drop the
    // changes it did not get to, so the old entries come first.
    std::string old;
    if (m_nType != UPLOAD_CHANGED_ONLY && ReadListFile(path, old) == ListFileRead::kFailed)
        return Fail(28);
    std::vector<std::string_view> names;
    NameSet listed;
    for (std::string_view line : TrimmedLines(old)) {
        if (listed.insert(NameKey(line)).second) names.push_back(line);
    }
    for (const std::string& name : files) {
        if (listed.insert(name).second) names.push_back(name);
    }
    std::string bytes;
    for (std::string_view name : names) {
        if (!uploaded.count(NameKey(name))) bytes.append(name).append(kLineEnd);
    }
    return CFileReplacement::ReplaceWith(path, bytes) ? 1 : Fail(28);
}

int CUploadJob::MarkFilesUploaded(CFtpClient& ftp) {
    std::string current;
    bool present = false;
    if (!ReadUploadList(COutputTracker::kFilesList, current, present)) return 0;
    if (!present) return 1;  // a failed run: the server's record stays
    if (g_settings.Get(m_strProject, project_key::wsclean) != 0) {
        SetStatusText("Deleting old files from web server.");
        std::vector<std::string> stale;
        if (!ReadStaleNames(current, kFilesUploaded, stale)) return 0;
        for (const std::string& name : stale) {
            if (g_bCancelRequested) return 0;
            ftp.FtpCommand("DELE " + name);
            SetStatusText(Quoted("Deleting ", name));
        }
    }
    return RecordUploaded(current, kFilesUploaded, COutputTracker::kFilesChanged);
}

int CUploadJob::MarkDirsUploaded(CFtpClient& ftp) {
    std::string current;
    bool present = false;
    if (!ReadUploadList(COutputTracker::kDirsList, current, present)) return 0;
    if (!present) return 1;
    if (g_settings.Get(m_strProject, project_key::wsclean) != 0) {
        std::vector<std::string> stale;
        if (!ReadStaleNames(current, kDirsUploaded, stale)) return 0;
        // Last listed first: a directory is listed before the ones made inside it.
        for (auto it = stale.rbegin(); it != stale.rend(); ++it) {
            ftp.FtpCommand("RMD " + *it);
            SetStatusText(Quoted("Removing directory ", *it));
        }
    }
    return RecordUploaded(current, kDirsUploaded, COutputTracker::kDirsChanged);
}

bool ChangeListsExist() {
    return Exists(ProjectFile(COutputTracker::kFilesChanged)) ||
           Exists(ProjectFile(COutputTracker::kDirsChanged));
}

int RunUploadAttempt(platform::MessageQueue* hNotifyWnd, int type, std::string& result) {
    if (type == UPLOAD_CHANGED_ONLY && !ChangeListsExist()) {
        result = kNothingToUpload;
        return 1;
    }
    const bool listsRoot = type == UPLOAD_ALL_IN_DIRECTORY;
    const std::string listPath = ProjectFile(CUploadJob::kDirectoryList);
    if (listsRoot && !WriteDirectoryList(listPath, result)) return 0;
    CUploadJob job(hNotifyWnd);
    const int ok = job.Run(type);
    result = job.m_strMessage;
    if (listsRoot) RemoveIfPresent(listPath);
    return ok;
}

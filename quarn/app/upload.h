#pragma once
// The upload of a project's generated web site to its web server by FTP. Runs on the task thread
// while it holds g_csProject; the main window sees only the posted status lines and progress
// codes. Paths are built from g_szProjectDir (the active project's directory) and the HTML root
// (project key roothtml, relative to the project directory unless absolute); the current
// directory is never changed.
//
// The lists, in the project directory, one name per line relative to the HTML root:
//   type                     files            directories
//   UPLOAD_CHANGED_ONLY      htmlgen.chg      dirgen.chg
//   UPLOAD_ALL_OUTPUT        htmlgen.log      dirgen.log
//   UPLOAD_ALL_IN_DIRECTORY  dir.txt          none
// A name that is absolute, holds ":" or a ".." component is skipped. After a successful upload
// of type 0 or 1, htmlgen.log is copied over htmlgen.old (the list of what the server holds) and
// htmlgen.chg goes; the same for the dirgen lists. A list that the last run did not leave
// (a failed run leaves no htmlgen.log) keeps its .old and .chg as they are.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_queue.h"
#include "quarn/script/name_list.h"

class CFtpClient;

// Upload types: the lParam of TASK_UPLOAD and the values of the project key uploadchg.
enum UploadType : int {
    UPLOAD_CHANGED_ONLY = 0,
    UPLOAD_ALL_OUTPUT = 1,
    UPLOAD_ALL_IN_DIRECTORY = 2,
};

class CUploadJob {
public:
    static constexpr std::string_view kDirectoryList = "dir.txt";
    static constexpr std::string_view kFilesUploaded = "htmlgen.old";
    static constexpr std::string_view kDirsUploaded = "dirgen.old";
    // The progress caption holds at most this many bytes (cut at a UTF-8 boundary).
    static constexpr std::size_t kMaxProgressText = 259;

    // Status lines and WM_FRAMENOTIFY codes go to `hNotifyWnd` (nothing is posted when null).
    explicit CUploadJob(platform::MessageQueue* hNotifyWnd);
    virtual ~CUploadJob() = default;
    CUploadJob(const CUploadJob&) = delete;
    CUploadJob& operator=(const CUploadJob&) = delete;

    // One upload of `type` (an UploadType) with a fresh FTP connection, which is closed when
    // Run returns. Posts FRAME_PROGRESS_CLOSE at the end,
    // whatever happened (FRAME_PROGRESS_OPEN once before the first file, FRAME_PROGRESS_UPDATE
    // with g_nProgressPos and g_szProgressText before each). Returns 1 with "Files successfully
    // transferred to web server." or 0 with the error in m_strMessage: ERROR 26 or 29 with the FTP
    // client's text, 27, 28 (a list that cannot be read or written, a type without lists), 30
    // (with project key lfnferror, a listed file that is missing), 94 (the HTML root cannot be
    // opened), or 31 when g_bCancelRequested was set before the upload (nothing is sent) or
    // during it.
    // When a transfer fails or is cancelled and the project key resumefailedupload is set,
    // htmlgen.chg is rewritten to name what was not sent: for type 0 the upload list without the
    // files sent; for types 1 and 2 the old htmlgen.chg entries and then the upload list's other
    // names, without the files sent. The file on the server that was being sent may stay partial.
    int Run(int type);

    // PostStatusText to the notify window (the mailbox cuts the line at 31,999 bytes).
    void SetStatusText(std::string text);

    std::string m_strMessage;

private:
    int Upload();
    int MakeDirectories(CFtpClient& ftp);
    int CollectFiles(std::vector<std::string>& files);
    int TransferFiles(CFtpClient& ftp, const std::vector<std::string>& files);
    int WriteResumeList(const std::vector<std::string>& files, const NameSet& uploaded);
    // A list of the project directory into `text`; 0 with ERROR 28 when it cannot be read, else
    // 1 with `present` false for a missing list.
    int ReadUploadList(std::string_view list, std::string& text, bool& present);
    // The names of `uploadedList` that `current` does not hold, in list order, into `stale`; 0 on
    // cancel or with ERROR 28.
    int ReadStaleNames(const std::string& current, std::string_view uploadedList,
                       std::vector<std::string>& stale);
    // `current` becomes `uploadedList` and `changedList` goes; 0 with ERROR 28.
    int RecordUploaded(const std::string& current, std::string_view uploadedList,
                       std::string_view changedList);
    int MarkFilesUploaded(CFtpClient& ftp);
    int MarkDirsUploaded(CFtpClient& ftp);
    void Post(unsigned code);
    int Fail(int messageNumber, std::string_view detail = {});

    std::string RootPath(std::string_view name) const;

    platform::MessageQueue* m_hNotifyWnd;
    int m_nType = UPLOAD_CHANGED_ONLY;
    std::string m_strProject;
    std::string m_strHtmlRoot;
};

// One upload attempt of the task thread's TASK_UPLOAD job (its dialling and retries are the
// caller's). Type UPLOAD_ALL_IN_DIRECTORY first lists the plain files directly in the HTML root
// (subdirectories are not entered) into dir.txt in the project directory and removes it again
// afterwards; ERROR 94 when the root cannot be read, ERROR 28 when dir.txt cannot be written.
// UPLOAD_CHANGED_ONLY with neither htmlgen.chg nor dirgen.chg present succeeds at once with
// "Upload cancelled- no files require update.". Otherwise CUploadJob::Run. Returns 1 or 0 with
// the final text in `result`.
int RunUploadAttempt(platform::MessageQueue* hNotifyWnd, int type, std::string& result);

// True when the project directory holds htmlgen.chg or dirgen.chg: a changed-only upload has
// something to send.
bool ChangeListsExist();

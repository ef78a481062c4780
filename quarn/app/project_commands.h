#pragma once
// New Project, Delete Project and Reset Project Upload Status of the main window, apart from the
// widgets: the checks with their
// exact messages and the changes to the project list, the directories and the active project.
// Every member that changes something expects the caller to hold g_csProject (tried, never
// waited for, on the GUI thread).

#include <string>
#include <string_view>

class CProjectCommands {
public:
    // Checks a name as typed in the New Project dialog. 1 with `*name` = the name to create
    // (leading white space removed); 0 with the warning in m_strMessage.
    int CheckNewName(std::string_view typed, std::string* name);
    // Lists `name`, makes its directory below "projects" with "html" and an empty "Script1.scp"
    // (an existing one is kept), and makes it the active project and defprofile. On failure the
    // list entry is removed again, the old project stays active, and m_strMessage says why.
    int Create(const std::string& name);

    // 0 with the warning in m_strMessage when `name` may not be deleted.
    int CheckDelete(const std::string& name);
    // The OK/Cancel question asked before deleting `name`.
    static std::string DeleteQuestion(const std::string& name);
    // Removes the settings section of `name`, its entry in the project list (the rest closing
    // up in order) and its directory below "projects" (only files and links in it and its
    // "html"; a directory still holding something stays); then "default" becomes active.
    // A name that fails the name rules never touches the file system.
    int Delete(const std::string& name);

    // The Yes/No question asked before resetting the upload status.
    static constexpr std::string_view kResetUploadQuestion =
        "This action will result in all output files being marked for upload. Do you wish to "
        "continue?";
    // Marks every output file of the active project for upload: project key resetupload := 1,
    // and "htmlgen.log" copied over "htmlgen.chg" (replaced whole, never half written; without
    // an "htmlgen.log" the change list stays). 0 with the reason in m_strMessage.
    int ResetUploadStatus();

    std::string m_strMessage;
};

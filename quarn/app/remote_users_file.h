#pragma once
// The Network Control page's edits of the remote users file (remote_users.h): list the names,
// add a user, remove a user. Each change acts on the file at once; the file is created with mode
// 0600 and every line it writes ends in CR LF. One owner, one thread.

#include <string>
#include <string_view>
#include <vector>

class CRemoteUsersFile {
public:
    explicit CRemoteUsersFile(std::string path) : m_strPath(std::move(path)) {}

    // Each line's text before its first blank, in file order; a line without a blank gives "".
    // No file, or one that cannot be read, gives none.
    std::vector<std::string> Names() const;
    // Appends `user` (trailing white space removed) + " " + `password` (leading white space
    // removed) + CR LF, with a CR LF first when the file does not end in LF. 0 with m_strMessage
    // when either is empty or holds a line break or NUL (the file is untouched), or when the
    // file cannot be written.
    int Add(std::string_view user, std::string_view password);
    // Rewrites the file without every line whose name (as Names gives it) is `name`, through a
    // temporary file and a rename, so a failure leaves the file as it was. 0 with m_strMessage
    // when the file cannot be read or replaced.
    int Remove(std::string_view name);

    std::string m_strMessage;

private:
    // 0, with the message that the file could not be `done` ("read", "written") and why.
    int Fail(std::string_view done);

    std::string m_strPath;
};

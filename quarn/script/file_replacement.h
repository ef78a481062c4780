#pragma once
// Replaces the contents of one file so that a failure never leaves it half written: the new bytes
// go to a temporary file in the same directory, which is renamed over the file only after every
// write and the close succeeded. Until then the file is as it was, and a replacement that is not
// committed removes its temporary. Where no file stands yet, the new one is written in place
// (saving the rename) and removed again on failure. A link standing at the path is replaced, not
// written through. The new file keeps the permission bits of the regular file it replaces; a new
// file gets 0666 less the umask. The file may be named relative to an open directory, which must
// stay open while the replacement lives. One owner, one thread.

#include <string>
#include <string_view>

// Removes the file `path`; true also when nothing stood there.
bool RemoveIfPresent(const std::string& path);

class CFileReplacement {
public:
    explicit CFileReplacement(std::string path);
    // The file `name` relative to the directory `dir` (AT_FDCWD: the current directory).
    CFileReplacement(int dir, std::string name);
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement&) = delete;
    CFileReplacement& operator=(const CFileReplacement&) = delete;

    // Creates the temporary beside the path. False (errno set) when the directory does not exist
    // or cannot be written.
    bool Open();
    // Appends `bytes` to the temporary, retrying short and interrupted writes.
    bool Write(std::string_view bytes);
    // Closes the temporary and renames it over the path. False when the close or the rename
    // failed (the path then names a directory, for instance); the temporary is gone either way.
    bool Commit();

    // Open, Write and Commit of `bytes` in one step.
    static bool ReplaceWith(const std::string& path, std::string_view bytes);
    static bool ReplaceWith(int dir, const std::string& name, std::string_view bytes);

private:
    void Discard();

    int m_nDir;
    std::string m_strPath;
    std::string m_strTemporary;  // the file being written: the temporary, or the path itself
    bool m_bInPlace = false;     // a new file written at its own path
    int m_fd = -1;
};

#pragma once
// A file opened for reading, closed when the object goes. Opening never blocks, so a named pipe
// or a device in a file's place is refused (IsRegularFile) instead of hanging the reader.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

class CReadOnlyFile {
public:
    explicit CReadOnlyFile(const std::string& path);
    ~CReadOnlyFile();
    CReadOnlyFile(const CReadOnlyFile&) = delete;
    CReadOnlyFile& operator=(const CReadOnlyFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // The errno of a failed open (ENOENT: no such file); 0 when the file is open.
    int OpenError() const { return m_nOpenError; }
    // Open and a plain file; its status in `info`.
    bool IsRegularFile(struct stat& info) const;
    // Up to `size` bytes, retrying short and interrupted reads (fewer only at the end of the
    // file); -1 on a read error.
    ssize_t Read(char* data, std::size_t size) const;

private:
    int m_fd;
    int m_nOpenError;
};

// True when `path` is a plain file whose bytes equal `bytes`; a missing or unreadable file, or
// anything but a plain file, is not.
bool FileHoldsBytes(const std::string& path, std::string_view bytes);

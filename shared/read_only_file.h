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
    // The file `name` relative to the directory `dir`, not following a link at `name` itself
    // (a link then does not open, with ELOOP).
    CReadOnlyFile(int dir, const std::string& name);
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
    // One read of up to `size` bytes at `offset`, retrying only an interrupted call: from a plain
    // file fewer bytes than asked mean that it ends there. -1 on a read error, and for a pipe or
    // a terminal, which cannot be read at an offset.
    ssize_t ReadAt(char* data, std::size_t size, off_t offset) const;

private:
    int m_fd;
    int m_nOpenError;
};

// True when `path` reads as exactly `bytes` (a plain file of those bytes); a missing or unreadable
// file, a directory, a pipe, a terminal and, for empty `bytes`, an empty device never do.
bool FileHoldsBytes(const std::string& path, std::string_view bytes);
// The same for `file`, read from its start.
bool FileHoldsBytes(const CReadOnlyFile& file, std::string_view bytes);

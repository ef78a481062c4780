#pragma once
// Reading the whole of a file the engine takes from disk (scripts, list files, the files dataread
// and filelink read), through CReadOnlyFile: a named pipe or a device in a file's place is
// refused instead of hanging the run.

#include <cstddef>
#include <limits>
#include <string>

enum class FileBytesRead { kRead, kMissing, kUnreadable, kTooLong, kNoMemory };

// The bytes of the plain file `path` in `bytes`. kMissing when there is no such file;
// kUnreadable when it cannot be opened or read or is no plain file (a directory, a pipe, a
// device); kTooLong when it holds more than `limit` bytes; kNoMemory when they do not fit in
// memory. `bytes` holds nothing of use unless the result is kRead.
FileBytesRead ReadFileBytes(const std::string& path, std::string& bytes,
                            std::size_t limit = std::numeric_limits<std::size_t>::max());

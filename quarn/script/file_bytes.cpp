#include "quarn/script/file_bytes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "quarn/script/memory_guard.h"
#include "shared/read_only_file.h"

FileBytesRead ReadFileBytes(const std::string& path, std::string& bytes, std::size_t limit) {
    bytes.clear();
    const CReadOnlyFile file(path);
    if (!file.IsOpen()) {
        return file.OpenError() == ENOENT ? FileBytesRead::kMissing : FileBytesRead::kUnreadable;
    }
    struct stat info {};
    if (!file.IsRegularFile(info)) return FileBytesRead::kUnreadable;
    const auto read = [&] {
        // The size is a hint: the file may change while it is read.
        if (static_cast<std::uint64_t>(info.st_size) <= limit)
            bytes.reserve(static_cast<std::size_t>(info.st_size));
        char chunk[65536];
        for (;;) {
            const ssize_t got = file.Read(chunk, sizeof chunk);
            if (got < 0) return FileBytesRead::kUnreadable;
            if (got == 0) return FileBytesRead::kRead;
            if (static_cast<std::size_t>(got) > limit - bytes.size())
                return FileBytesRead::kTooLong;
            bytes.append(chunk, static_cast<std::size_t>(got));
        }
    };
    return CatchOutOfMemory(read, [] { return FileBytesRead::kNoMemory; });
}

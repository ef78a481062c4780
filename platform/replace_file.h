#pragma once
// Replaces a file's whole content so that a reader or a crash sees the old file or the new one,
// never a mix: the bytes go to a temporary "<file>.tmp.XXXXXX" beside it, are synced and renamed
// over it. An existing file keeps its mode; a new one gets `newFileMode`.

#include <sys/types.h>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::string_view kReplaceTemporaryInfix = ".tmp.";
inline constexpr std::string_view kReplaceTemporarySuffix = "XXXXXX";

// True on success. On failure `path` is as it was, no temporary is left, errno holds the cause
// and `error` (when given) says why; the one exception is a failing sync of the directory after the
// rename, where the new file is in place but may not survive a crash.
bool ReplaceFile(const std::string& path, std::string_view bytes, mode_t newFileMode,
                 std::string* error);

// The directory part of `path` ("." for a bare name).
std::string DirectoryOf(const std::string& path);

}  // namespace platform

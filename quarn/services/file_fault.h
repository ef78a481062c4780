#pragma once
// What a user reads when one of quarn's own files cannot be written or read: which file, where,
// and why in plain words, e.g. "The settings file /opt/quarn/Quarn.ini could not be written:
// permission denied."

#include <string>
#include <string_view>

// `file` names the kind of file ("settings file"), `done` what failed ("written", "read").
std::string FileFaultText(std::string_view file, std::string_view path, std::string_view done,
                          std::string_view reason);
// The system's reason for the error number `cause`, as words within a sentence.
std::string ReasonInWords(int cause);
// The reason at the end of a platform error "<what failed> <path>: <the system's reason>", as
// words within a sentence; the whole text, so worded, when it holds no reason.
std::string ReasonOfPlatformError(std::string_view error);

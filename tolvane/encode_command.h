#pragma once
// The encode command below its dialog: the two paths it remembers, and the writing of a
// runtime-encoded copy of a script that quarn runs like the script itself.

#include <string>

#include "platform/profile_file.h"

struct CEncodePaths {
    std::string input;
    std::string output = "script1.sce";
    bool operator==(const CEncodePaths&) const = default;
};
// `lastencscpin` and `lastencscpout` of section "tolvane".
CEncodePaths ReadEncodePaths(const platform::ProfileFile& file);
bool WriteEncodePaths(platform::ProfileFile& file, const CEncodePaths& paths, std::string* error);

class CEncodeCommand {
public:
    // Encodes the script at `inputPath` into `outputPath`. Returns 1 with "Script encoded OK" in
    // m_strMessage, or 0 with the reason there. The encoded bytes are decoded again and compared
    // with the script before the output is touched; after any failure no output file is left
    // behind (an existing one is kept unless the failure came while writing it).
    int Encode(const std::string& inputPath, const std::string& outputPath);

    std::string m_strMessage;
};

#pragma once
// Whether an output file counts as changed, and so is written and listed for upload.

#include <string>
#include <string_view>

// The project's resetupload setting: every output counts as changed.
bool ResetUploadSet();

// True when the file at `path` already holds exactly `bytes` and resetupload is 0. The file is
// compared first, so a changed file costs no settings read.
bool OutputUnchanged(const std::string& path, std::string_view bytes);

#pragma once
// Whether an output file counts as changed, and so is written and listed for upload.

#include <string>
#include <string_view>

// The project's resetupload setting: every output counts as changed.
bool ResetUploadSet();

// True when the file `name` relative to the directory `dir` already holds exactly `bytes` and
// resetupload is 0. A link at `name` is not followed and so counts as changed, to be replaced.
// The file is compared first, so a changed file costs no settings read.
bool OutputUnchanged(int dir, const std::string& name, std::string_view bytes);

#include "quarn/script/output_change.h"

#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/read_only_file.h"

bool ResetUploadSet() {
    return g_settings.Get(g_strProject.Get(), project_key::resetupload) != 0;
}

bool OutputUnchanged(int dir, const std::string& name, std::string_view bytes) {
    return FileHoldsBytes(CReadOnlyFile(dir, name), bytes) && !ResetUploadSet();
}

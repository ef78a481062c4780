#include "quarn/app/readme_offer.h"

#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

bool ReadmeWanted() {
    return g_settings.GetGlobal(global_key::readme) != 0;
}

LaunchCommand ReadmeCommand() {
    return LaunchCommand{ResolveProgram("notepad"), {g_strProgramDir + "/readme.txt"}, {}};
}

int AnswerReadme(bool view, bool dontShowAgain, ILauncher& launcher) {
    int ok = 1;
    if (view && launcher.Launch(ReadmeCommand()) == 0) ok = 0;
    if (dontShowAgain && g_settings.Set(kGlobalSection, global_key::readme, 0) == 0) ok = 0;
    return ok;
}

#include "kestrel/kestrel_finish.h"

#include "kestrel/kestrel_app.h"
#include "shared/launcher.h"
#include "shared/widgets/ui_text.h"
#include "shared/widgets/wizard_prompts.h"

int FinishKestrel(CKestrelApp& app, IWizardPrompts& prompts, ILauncher& launcher,
                  const std::string& programDir, const std::string& texted) {
    app.EscapeAnswers();
    if (!app.WriteScripts()) {
        prompts.StopMessage(nullptr, FromBytes(app.m_strMessage));
        return 0;
    }
    if (const auto open = app.OpenOnExitCommand(programDir, texted)) launcher.Launch(*open);
    return 1;
}

#pragma once
// What the wizard does once the user clicked Finish: escape the answers, write the files, and
// open the result when asked to. GUI thread only.

#include <string>

class CKestrelApp;
class ILauncher;
class IWizardPrompts;

// 1 when the files were written (the editor or the notes then started when asked, a failed start
// not reported); 0 after showing "Unable to write file NAME." (nothing is started then).
int FinishKestrel(CKestrelApp& app, IWizardPrompts& prompts, ILauncher& launcher,
                  const std::string& programDir, const std::string& texted);

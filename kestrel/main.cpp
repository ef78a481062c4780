// kestrel: the script wizard. Asks its questions, writes the scripts into the current directory
// (quarn starts it in the active project's), and opens the result when asked to.

#include <QApplication>
#include <memory>

#include "kestrel/kestrel_app.h"
#include "kestrel/kestrel_finish.h"
#include "kestrel/kestrel_icon.h"
#include "kestrel/kestrel_sheet.h"
#include "platform/profile_file.h"
#include "platform/program_directory.h"
#include "shared/launcher.h"
#include "shared/odbc_info.h"
#include "shared/widgets/wizard_prompts.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel"));
    QApplication::setDesktopFileName(QStringLiteral("kestrel"));
    QApplication::setWindowIcon(KestrelIcon());

    CKestrelApp app;
    CQtWizardPrompts prompts("Kestrel", kWizardDriverDialog);
    CKestrelSheet sheet(app, prompts,
                        [] { return std::make_unique<COdbcInfo>(COdbcInfo::Strings::kPlain); });
    if (sheet.exec() != QDialog::Accepted) return 0;

    const std::string programDir = platform::ProgramDirectory("");
    const platform::ProfileFile settings(programDir + "/Quarn.ini");
    CProcessLauncher launcher;
    return FinishKestrel(app, prompts, launcher, programDir,
                         settings.GetString("global", "texted", "tolvane"))
               ? 0
               : 1;
}

// tolvane: the script editor. Opens the scripts named on the command line, or a new one.

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/profile_file.h"
#include "platform/program_directory.h"
#include "shared/launcher.h"
#include "tolvane/ed_app.h"
#include "tolvane/ed_prompts.h"
#include "tolvane/editor_frame.h"
#include "tolvane/tolvane_icon.h"

namespace {

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr, "tolvane: no display (set DISPLAY or WAYLAND_DISPLAY)\n");
        return 1;
    }
    CEdApp app;
    app.BuildFunctionLists();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setDesktopFileName(QStringLiteral("tolvane"));
    QApplication::setWindowIcon(TolvaneIcon());

    const std::string programDir = platform::ProgramDirectory("");
    platform::ProfileFile settings(SettingsFilePath(programDir));
    CQtEdPrompts prompts;
    CProcessLauncher launcher;
    CMainFrame frame(app, settings, prompts, launcher, programDir);
    QStringList files = QApplication::arguments();
    files.removeFirst();
    if (!frame.Start(files)) return 1;
    return QApplication::exec();
}

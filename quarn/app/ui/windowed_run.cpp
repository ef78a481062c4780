#include "quarn/app/ui/windowed_run.h"

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "quarn/app/launch_commands.h"
#include "quarn/app/quarn_threads.h"
#include "quarn/app/stop_signal.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/qt_prompter.h"
#include "quarn/services/settings.h"

namespace {

constexpr int kSplashMs = 2000;
// How often the window looks for a stop signal.
constexpr int kStopWatchMs = 100;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool HasDisplay() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

int RunWindowed(int argc, char** argv, const std::function<void(const std::string&)>& print) {
    QApplication app(argc, argv);
    platform::MessageQueue queue;
    CQuarnThreads threads(queue);
    CQtFrameDialogs dialogs;
    CProcessLauncher launcher;
    CMainFrame frame(queue, threads.Tasks(), dialogs, launcher);
    CQtPrompter prompter(&frame);
    const CScopedPrompter install(prompter);

    frame.show();
    if (g_settings.GetGlobal(global_key::splashscr) != 0) frame.ShowSplash(kSplashMs);
    if (!threads.Start(print)) return 1;
    StopOnSignal();
    // A signal ends the program as closing the window does.
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&app] {
        if (StopRequested()) app.quit();
    });
    stopWatch.start(kStopWatchMs);

    app.exec();

    // A question still open gets its default answer, so the running job can end; the window
    // keeps taking its lines meanwhile.
    prompter.Close();
    threads.Stop([](const std::function<bool()>& ended) {
        while (!ended())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    });
    return 0;
}

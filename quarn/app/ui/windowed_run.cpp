#include "quarn/app/ui/windowed_run.h"

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>

#include "platform/instance_channel.h"
#include "quarn/app/launch_commands.h"
#include "quarn/app/quarn_threads.h"
#include "quarn/app/stop_signal.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/instance_watch.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/qt_prompter.h"
#include "quarn/app/ui/quarn_icon.h"
#include "quarn/app/ui/startup_dlgs.h"
#include "quarn/app/ui/tray_icon.h"
#include "quarn/services/settings.h"

namespace {

constexpr int kSplashMs = 2000;
// How often the window looks for a stop signal.
constexpr int kStopWatchMs = 100;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Ends every event loop of this thread, a modal dialog's too, once a stop signal has arrived,
// after `prepare`. Not QApplication::quit(): that closes the windows as a person does, and the
// main window then asks whether a busy program may end, or hides to the tray, with no one there
// to answer.
void EndOnStopSignal(QTimer& watch, std::function<void()> prepare) {
    QObject::connect(&watch, &QTimer::timeout, [prepare = std::move(prepare)] {
        if (!StopRequested()) return;
        prepare();
        QCoreApplication::exit(0);
    });
    watch.start(kStopWatchMs);
}

}  // namespace

bool HasDisplay() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

int RunWindowed(int argc, char** argv, const std::string& channelPath,
                const std::function<void(const std::string&)>& print) {
    QApplication app(argc, argv);
    app.setWindowIcon(QuarnIcon());
    platform::MessageQueue queue;
    CQuarnThreads threads(queue);
    CQtFrameDialogs dialogs;
    CProcessLauncher launcher;
    CSystemTrayIcon tray(&app);
    CMainFrame frame(queue, threads.Tasks(), dialogs, launcher, tray);
    CQtPrompter prompter(&frame);
    const CScopedPrompter install(prompter);

    platform::InstanceChannel channel;
    std::string error;
    std::unique_ptr<QSocketNotifier> watch;
    if (!channelPath.empty() && !channel.Listen(channelPath, &error)) print(error);
    if (channel.Descriptor() >= 0) watch = BringForwardOnRequest(channel, frame);

    frame.show();
    if (g_settings.GetGlobal(global_key::splashscr) != 0) frame.ShowSplash(kSplashMs);
    threads.Tasks().HideWindowOnceShown([&frame] { return frame.IsShown(); });
    if (!threads.Start(print)) return 1;
    QTimer stopWatch;
    EndOnStopSignal(stopWatch, [&frame] { frame.PrepareExit(); });
    OfferReadme(&frame, launcher);

    app.exec();

    // A question still open gets its default answer, so the running job can end; the window
    // keeps taking its lines meanwhile.
    prompter.Close();
    threads.Stop([](const std::function<bool()>& ended) {
        // Waits for events rather than spinning, which would take the processor from the task
        // thread at its idle priority; the timer looks at `ended` again meanwhile.
        QTimer look;
        look.start(kStopWatchMs);
        while (!ended())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    });
    return 0;
}

int RunAlreadyRunning(int argc, char** argv, const std::string& channelPath) {
    // The notice is shown all the same when the running instance cannot be reached.
    platform::InstanceChannel::AskToShow(channelPath, nullptr);
    QApplication app(argc, argv);
    app.setWindowIcon(QuarnIcon());
    CAlreadyRunningDlg notice(nullptr);
    QTimer stopWatch;
    EndOnStopSignal(stopWatch, [] {});
    QObject::connect(&notice, &QDialog::finished, &app, &QCoreApplication::quit);
    notice.show();
    app.exec();
    return 1;
}

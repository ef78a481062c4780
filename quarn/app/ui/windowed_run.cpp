#include "quarn/app/ui/windowed_run.h"

#include <QApplication>
#include <cstdlib>

#include "quarn/app/publish_scheduler_thread.h"
#include "quarn/app/svr_thread.h"
#include "quarn/app/task_thread.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/qt_prompter.h"
#include "quarn/services/settings.h"

namespace {

constexpr int kSplashMs = 2000;

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
    Ctaskthread tasks(queue);
    CSvrThread server(tasks, &queue);
    tasks.ReportJobsTo(&server);
    CQtFrameDialogs dialogs;
    CMainFrame frame(queue, tasks, dialogs);
    CQtPrompter prompter(&frame);
    const CScopedPrompter install(prompter);

    std::string error;
    if (!tasks.Start(&error)) {
        print(error);
        return 1;
    }
    frame.show();
    if (g_settings.GetGlobal(global_key::splashscr) != 0) frame.ShowSplash(kSplashMs);
    if (!server.Start()) print(server.Message());
    CPublishSchedulerThread scheduler(tasks);
    if (!scheduler.Start() || !scheduler.m_strMessage.empty()) print(scheduler.m_strMessage);

    app.exec();

    scheduler.Stop();
    // A question still open gets its default answer, so the running job can end; the window
    // keeps taking its lines meanwhile.
    prompter.Close();
    tasks.RequestStop();
    while (!tasks.Ended())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    tasks.Join();
    server.Stop();
    return 0;
}

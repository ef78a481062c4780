// The Project Scripts window of a running quarn: listing and refreshing, running a script on the
// real task thread, editing through the launcher, deleting after the question, following the main
// window, and its placement kept across a restart.

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/project_scripts_dlg.h"
#include "quarn/app/ui/quarn_view.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/qt_test_registry.h"

namespace {

namespace fs = std::filesystem;

constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr int kError = 16;
constexpr int kYesNoWarning = 4 | 48;

// Records the jobs a window posts instead of running them.
class CRecordingPoster : public ITaskPoster {
public:
    std::vector<TaskJob> jobs;
    void PostJob(TaskJob job) override { jobs.push_back(std::move(job)); }
};

QListWidget* List(const CProjectScriptsDlg& window) {
    return window.findChild<QListWidget*>("1011");
}

QStringList Names(const CProjectScriptsDlg& window) {
    QStringList names;
    for (int i = 0; i < List(window)->count(); ++i)
        names << List(window)->item(i)->text();
    return names;
}

void Select(const CProjectScriptsDlg& window, const QString& name) {
    const QList<QListWidgetItem*> found = List(window)->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    List(window)->setCurrentItem(found.front());
}

void Choose(CProjectScriptsDlg& window, int id) {
    window.findChild<QAction*>(QString::number(id))->trigger();
}

}  // namespace

class UiProjectScriptsTest : public QObject {
    Q_OBJECT
private slots:
    void ListsRefreshesAndFollowsTheProject() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default");
        quarn.PutFile(dir + "/b.scp", "");
        quarn.PutFile(dir + "/A.scp", "");
        quarn.PutFile(dir + "/notes.txt", "");
        CProjectScriptsDlg& window = *quarn.frame->ScriptsWindow();
        QCOMPARE(window.objectName(), QString("183"));
        QCOMPARE(window.windowTitle(), QString("Project Scripts"));
        QCOMPARE(List(window)->toolTip(),
                 QString("Right-click to edit script, double-click to run"));
        QVERIFY(window.isVisible());
        QVERIFY(Names(window).isEmpty());  // listed when the window was made
        Choose(window, 32851);
        QCOMPARE(Names(window), QStringList({"A.scp", "b.scp"}));
        quarn.PutFile(dir + "/c.scp", "");
        Choose(window, 32851);
        QCOMPARE(Names(window), QStringList({"A.scp", "b.scp", "c.scp"}));
        SaveScreenshot(window, "project_scripts_window");

        // Another project, and another script directory.
        fs::create_directories(quarn.ProjectDir("shop") + "/scripts");
        quarn.PutFile(quarn.ProjectDir("shop") + "/scripts/shop.scp", "");
        g_settings.Set("shop", project_key::pscriptdir, " scripts");
        auto* combo = quarn.frame->findChild<QComboBox*>("32832");
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QCOMPARE(Names(window), QStringList({"shop.scp"}));

        // The list takes no commands while a job runs.
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_BUSY, 0);
        QTRY_VERIFY(!List(window)->isEnabled());
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_IDLE, 0);
        QTRY_VERIFY(List(window)->isEnabled());
    }

    void RunPostsTheSelectedScript() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default");
        quarn.PutFile(dir + "/hello.scp", "&print(\"hello from the list\")");
        CProjectScriptsDlg& window = *quarn.frame->ScriptsWindow();
        window.RefreshList();
        Select(window, "hello.scp");
        QListWidgetItem* item = List(window)->currentItem();
        // A double click runs it, as Run does.
        emit List(window)->itemDoubleClicked(item);
        QTRY_COMPARE_WITH_TIMEOUT(quarn.LastLine(), QString("Script execution complete."), 20000);
        QVERIFY(quarn.frame->View()->Lines().contains("hello from the list"));
        QVERIFY(quarn.WaitUntilIdle());

        // What Run posts, with nothing selected and with a path past the limit.
        CRecordingPoster poster;
        CProjectScriptsDlg alone(nullptr, poster, quarn.dialogs, quarn.launcher);
        Select(alone, "hello.scp");
        Choose(alone, 32848);
        List(alone)->clearSelection();
        Choose(alone, 32848);
        QCOMPARE(poster.jobs.size(), size_t{2});
        QCOMPARE(poster.jobs[0].code, unsigned{TASK_RUN_SCRIPT});
        QCOMPARE(poster.jobs[0].scriptPath, dir + "/hello.scp");
        QCOMPARE(poster.jobs[0].requester, kNoRequester);
        QCOMPARE(poster.jobs[1].scriptPath, dir);

        const std::string longName = std::string(260 - dir.size(), 'x') + ".scp";
        quarn.PutFile(dir + "/" + longName, "");
        alone.RefreshList();
        Select(alone, QString::fromStdString(longName));
        quarn.dialogs.asked.clear();
        Choose(alone, 32848);
        QCOMPARE(poster.jobs.size(), size_t{2});
        QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
        QCOMPARE(quarn.dialogs.asked[0].text,
                 QString::fromStdString("ERROR 66- the script file " + dir + "/" + longName +
                                        " could not be opened."));
        QCOMPARE(quarn.dialogs.asked[0].type, kError);
    }

    void EditStartsTheEditorInTheScriptDirectory() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default") + "/scripts";
        g_settings.Set("default", project_key::pscriptdir, "scripts");
        fs::create_directories(dir);
        quarn.PutFile(dir + "/my page.scp", "");
        CProjectScriptsDlg& window = *quarn.frame->ScriptsWindow();
        window.RefreshList();
        Select(window, "my page.scp");
        Choose(window, 32849);
        QVERIFY(quarn.launcher.launched ==
                std::vector<LaunchCommand>({{"tolvane", {dir + "/my page.scp"}, dir}}));

        // While a job holds the project nothing happens.
        {
            ProjectLockHolder job;
            Choose(window, 32849);
        }
        QCOMPARE(quarn.launcher.launched.size(), size_t{1});

        quarn.launcher.fail = true;
        quarn.dialogs.asked.clear();
        Choose(window, 32849);
        QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
        QCOMPARE(quarn.dialogs.asked[0].text,
                 QString("ERROR 37- unable to run text editor. Check program settings."));
        QCOMPARE(quarn.dialogs.asked[0].type, kError);
    }

    void DeleteAsksFirstAndNeedsASelection() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default");
        quarn.PutFile(dir + "/a.scp", "");
        quarn.PutFile(dir + "/b.scp", "");
        CProjectScriptsDlg& window = *quarn.frame->ScriptsWindow();
        window.RefreshList();
        quarn.dialogs.asked.clear();
        Choose(window, 32850);  // nothing selected: no question, nothing removed
        QVERIFY(quarn.dialogs.asked.empty());
        QVERIFY(fs::is_directory(dir));

        Select(window, "a.scp");
        quarn.dialogs.buttons = {kNo};
        Choose(window, 32850);
        QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
        QCOMPARE(quarn.dialogs.asked[0].text,
                 QString("Are you sure you want to permanently delete the script file?"));
        QCOMPARE(quarn.dialogs.asked[0].type, kYesNoWarning);
        QVERIFY(fs::exists(dir + "/a.scp"));

        quarn.dialogs.buttons = {kYes};
        Choose(window, 32850);
        QVERIFY(!fs::exists(dir + "/a.scp"));
        QCOMPARE(Names(window), QStringList({"b.scp"}));
    }

    void PlacementAndShownStateSurviveARestart() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        CProjectScriptsDlg& window = *frame.ScriptsWindow();
        QAction* toggle = frame.Command(frame_command::kShowScripts);
        QVERIFY(toggle->isEnabled());
        QVERIFY(toggle->isChecked());
        // With nothing saved it stands beside the main window.
        QCOMPARE(window.pos(), frame.pos() - QPoint(124, 0));
        QCOMPARE(window.size(), QSize(120, 222));

        // It follows the main window.
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const QPoint before = window.pos();
        const QPoint frameBefore = frame.geometry().topLeft();
        frame.move(frame.pos() + QPoint(30, 40));
        QTRY_VERIFY(frame.geometry().topLeft() != frameBefore);
        QTRY_COMPARE(window.pos() - before, frame.geometry().topLeft() - frameBefore);

        window.resize(260, 310);
        window.move(15, 25);
        toggle->trigger();
        QVERIFY(!window.isVisible());
        QVERIFY(!toggle->isChecked());
        toggle->trigger();
        QVERIFY(window.isVisible());
        QVERIFY(toggle->isChecked());
        window.reject();  // the close box: hidden, and recorded so
        QVERIFY(!window.isVisible());
        QVERIFY(!toggle->isChecked());

        // Hiding to the tray and coming back keeps it hidden; a shown one comes back.
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_HIDE_TO_TRAY, 0);
        QTRY_VERIFY(frame.isHidden());
        quarn.tray.doubleClick();
        QVERIFY(frame.isVisible());
        QVERIFY(!window.isVisible());
        toggle->trigger();
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_HIDE_TO_TRAY, 0);
        QTRY_VERIFY(frame.isHidden());
        QVERIFY(!window.isVisible());
        quarn.tray.doubleClick();
        QVERIFY(window.isVisible());
        window.reject();

        QVERIFY(frame.ExitProgram());
        QCOMPARE(g_settings.GetGlobal(global_key::pswindowx1), 260);
        QCOMPARE(g_settings.GetGlobal(global_key::pswindowy1), 310);
        QCOMPARE(g_settings.GetGlobal(global_key::pswindowx2), 15);
        QCOMPARE(g_settings.GetGlobal(global_key::pswindowy2), 25);
        QCOMPARE(g_settings.GetGlobal(global_key::pswindowvis), 0);

        // The next start reads it back: same place and size, hidden.
        platform::MessageQueue queue;
        CRecordingPoster poster;
        CRecordingTrayIcon tray;
        CMainFrame next(queue, poster, quarn.dialogs, quarn.launcher, tray);
        next.show();
        CProjectScriptsDlg& restored = *next.ScriptsWindow();
        QCOMPARE(restored.pos(), QPoint(15, 25));
        QCOMPARE(restored.size(), QSize(260, 310));
        QVERIFY(!restored.isVisible());
        QVERIFY(!next.Command(frame_command::kShowScripts)->isChecked());
        next.Command(frame_command::kShowScripts)->trigger();
        QVERIFY(restored.isVisible());
    }
};

QUARN_QT_TEST(UiProjectScriptsTest)
#include "project_scripts_window_test.moc"

// Every command of the main window, found by its id among the menus and toolbars and chosen as a
// person does: each reaches its real effect or the recording fake that stands for it, and those
// whose window comes with a later version are shown disabled.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <vector>

#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/project_scripts_dlg.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/app/upload.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

namespace {

using namespace frame_command;

// Records the jobs a window posts instead of running them.
class CRecordingPoster : public ITaskPoster {
public:
    std::vector<TaskJob> jobs;
    void PostJob(TaskJob job) override { jobs.push_back(std::move(job)); }
};

// One window with recording peers; a fresh one for each command.
struct Window {
    explicit Window(WindowFixture& quarn)
        : dialogs(quarn.dialogs),
          launcher(quarn.launcher),
          frame(queue, poster, dialogs, launcher, tray) {
        dialogs.asked.clear();
        launcher.launched.clear();
        frame.show();
    }
    platform::MessageQueue queue;
    CRecordingPoster poster;
    CRecordingTrayIcon tray;
    CRecordingFrameDialogs& dialogs;
    CRecordingLauncher& launcher;
    CMainFrame frame;
};

// What a command did, in words a table can hold.
QString Jobs(const Window& w) {
    QStringList jobs;
    for (const TaskJob& job : w.poster.jobs)
        jobs << QString("job %1 %2 %3")
                    .arg(job.code)
                    .arg(job.param)
                    .arg(QString::fromStdString(job.scriptPath));
    return jobs.join("; ");
}

QString Launches(const Window& w) {
    QStringList launches;
    for (const LaunchCommand& command : w.launcher.launched) {
        QStringList words{QString::fromStdString(command.program)};
        for (const std::string& arg : command.args)
            words << QString::fromStdString(arg);
        launches << "launch " + words.join(' ');
    }
    return launches.join("; ");
}

QString Messages(const Window& w) {
    QStringList texts;
    for (const CRecordingFrameDialogs::Question& question : w.dialogs.asked)
        texts << "message " + question.text;
    return texts.join("; ");
}

QString Bars(const Window& w) {
    return QString("bars main %1 project %2 status %3")
        .arg(w.frame.findChild<QToolBar*>("59397")->isVisible())
        .arg(w.frame.findChild<QToolBar*>("59392")->isVisible())
        .arg(w.frame.statusBar()->isVisible());
}

// The ids of every action reachable from the menu bar and the toolbars.
QSet<int> ReachableIds(const CMainFrame& frame) {
    QSet<int> ids;
    std::function<void(const QList<QAction*>&)> collect = [&](const QList<QAction*>& actions) {
        for (const QAction* action : actions) {
            if (action->menu() != nullptr) collect(action->menu()->actions());
            bool number = false;
            const int id = action->objectName().toInt(&number);
            if (number) ids.insert(id);
        }
    };
    collect(frame.menuBar()->actions());
    for (const QToolBar* bar : frame.findChildren<QToolBar*>())
        collect(bar->actions());
    return ids;
}

// The caption of the modal window CloseNextModal closed last.
QString& ClosedModalTitle() {
    static QString title;
    return title;
}

// Cancels the next modal window once it runs, noting its caption.
void CloseNextModal() {
    ClosedModalTitle().clear();
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ClosedModalTitle() = dialog->windowTitle();
            dialog->reject();
        }
    });
}

QString ClosedModal() {
    return "closed " + ClosedModalTitle();
}

struct CommandCase {
    int id;
    // Sets up what the command needs; may be empty.
    std::function<void(WindowFixture&)> arrange;
    std::function<QString(const Window&)> observe;
    QString expected;  // empty: the command is shown disabled
};

}  // namespace

class UiFrameCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void EveryCommandReachesItsEffect() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const QString project = QString::fromStdString(quarn.ProjectDir("default"));
        const QString programDir = QString::fromStdString(g_strProgramDir);
        const auto answerFile = [](WindowFixture& q) { q.dialogs.files.push_back("/s/a.scp"); };
        const auto set = [](auto key, auto value) {
            return [key, value](WindowFixture&) { g_settings.Set("default", key, value); };
        };
        const auto cancelled = [](const Window&) {
            return QString("cancel %1").arg(g_bCancelRequested.load());
        };
        const auto errorFlag = [](const Window&) {
            return "erstat '" + QString::fromStdString(g_settings.GetGlobal(global_key::erstat)) +
                   "'";
        };
        const auto shown = [](const Window& w) {
            return QString("visible %1").arg(w.frame.isVisible());
        };
        // A modal dialog's command: the dialog that opened, closed again at once.
        QString modal;
        const auto closeModal = [&modal](WindowFixture&) {
            modal = "no dialog";
            QTimer::singleShot(0, [&modal] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) return;
                modal = "dialog " + dialog->objectName();
                dialog->reject();
            });
        };
        const auto opened = [&modal](const Window&) { return modal; };
        const auto scripts = [](const Window& w) {
            return QString("scripts %1 checked %2")
                .arg(w.frame.ScriptsWindow()->isVisible())
                .arg(w.frame.Command(kShowScripts)->isChecked());
        };
        const auto projects = [](const Window& w) {
            QStringList names;
            const auto* combo = w.frame.findChild<QComboBox*>("32832");
            for (int i = 0; i < combo->count(); ++i)
                names << combo->itemText(i);
            return names.join(',');
        };
        const CommandCase cases[] = {
            {kOpenRunScript, answerFile, Jobs, "job 0 0 /s/a.scp"},
            {kOpenEditScript, answerFile, Launches, "launch tolvane /s/a.scp"},
            {kEditOutputFiles, closeModal, opened, "dialog 148"},
            {kOpenDatabase, set(project_key::database, "sqlitebrowser"), Launches,
             "launch sqlitebrowser"},
            {kExit, {}, shown, "visible 0"},
            {kPreview, set(project_key::htmltop, "index.html"), Launches,
             "launch xdg-open " + project + "/html/index.html"},
            {kPublish, {}, Jobs, "job 2 0 "},
            {kUploadChanged, {}, Jobs, QString("job 1 %1 ").arg(UPLOAD_CHANGED_ONLY)},
            {kUploadAllOutput, {}, Jobs, QString("job 1 %1 ").arg(UPLOAD_ALL_OUTPUT)},
            {kUploadDirectory, {}, Jobs, QString("job 1 %1 ").arg(UPLOAD_ALL_IN_DIRECTORY)},
            {kResetUpload,
             [](WindowFixture& q) {
                 std::string error;
                 QVERIFY2(fixtures::WriteTextFile(q.ProjectDir("default") + "/htmlgen.log",
                                                  "a.html\r\n", &error),
                          error.c_str());
                 q.dialogs.buttons = {6};  // Yes
             },
             [project](const Window& w) {
                 return Messages(w) + "; resetupload " +
                        QString::number(g_settings.Get("default", project_key::resetupload)) +
                        "; chg " +
                        QString::fromStdString(
                            fixtures::ReadTextFile(project.toStdString() + "/htmlgen.chg")
                                .value_or("<missing>"))
                            .trimmed();
             },
             "message This action will result in all output files being marked for upload. Do "
             "you wish to continue?; resetupload 1; chg a.html"},
            {kProjectSettings, [](WindowFixture&) { CloseNextModal(); },
             [](const Window&) { return ClosedModal(); }, "closed Project Settings (default)"},
            {kShowMainBar, {}, Bars, "bars main 0 project 1 status 1"},
            {kShowProjectBar, {}, Bars, "bars main 1 project 0 status 1"},
            {kShowStatusBar, {}, Bars, "bars main 1 project 1 status 0"},
            {kShowScripts, {}, scripts, "scripts 0 checked 0"},
            {kListOutput, {}, Launches, "launch xdg-open " + project + "/listfile.txt"},
            {kEventLog, closeModal, opened, "dialog 147"},
            {kWizard, {}, Launches, "launch " + programDir + "/kestrel"},
            {kTolvane, {}, Launches, "launch " + programDir + "/tolvane"},
            {kClearError,
             [](WindowFixture&) { g_settings.Set(kGlobalSection, global_key::erstat, " ! "); },
             errorFlag, "erstat '   '"},
            {kProgramSettings, [](WindowFixture&) { CloseNextModal(); },
             [](const Window&) { return ClosedModal(); }, "closed Program Settings"},
            {kHelpTopics, {}, {}, {}},
            {kContextHelp, {}, {}, {}},
            {kDeleteProject, {}, Messages, "message You cannot delete the default project."},
            {kCancel, [](WindowFixture&) { g_bCancelRequested = false; }, cancelled, "cancel 1"},
            {kFtp, set(project_key::uploadchg, UPLOAD_ALL_IN_DIRECTORY), Jobs,
             QString("job 1 %1 ").arg(UPLOAD_ALL_IN_DIRECTORY)},
            // Last: the new project becomes the active one.
            {kNewProject, [](WindowFixture& q) { q.dialogs.names.push_back("extra"); }, projects,
             "default,shop,extra"},
        };

        QSet<int> covered{kProjectCombo};
        for (const CommandCase& c : cases) {
            const QByteArray name = QByteArray::number(c.id);
            covered.insert(c.id);
            Window w(quarn);
            QVERIFY2(ReachableIds(w.frame).contains(c.id), name + " is in no menu or toolbar");
            QAction* action = w.frame.findChild<QAction*>(name);
            QVERIFY2(action != nullptr, name);
            if (c.expected.isEmpty()) {
                QVERIFY2(!action->isEnabled(), name + " is enabled");
                continue;
            }
            if (c.arrange) c.arrange(quarn);
            QVERIFY2(action->isEnabled(), name + " is disabled");
            action->trigger();
            const QString seen = c.observe(w);
            QVERIFY2(
                seen == c.expected,
                qPrintable(QString("%1 did \"%2\", not \"%3\"").arg(c.id).arg(seen, c.expected)));
        }
        for (const FrameCommand& command : FrameCommands())
            QVERIFY2(covered.contains(command.id), QByteArray::number(command.id) + " untested");
    }
};

QUARN_QT_TEST(UiFrameCommandsTest)
#include "frame_commands_test.moc"

// The main window's project commands and program launches, driven by their command ids.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/qt_test_registry.h"

namespace {

using namespace frame_command;
namespace fs = std::filesystem;

constexpr int kWarning = 48;
constexpr int kError = 16;
constexpr int kOkCancelWarning = 1 | 48;
constexpr int kOk = 1;
constexpr int kCancelButton = 2;

QComboBox* Combo(const CMainFrame& frame) {
    return frame.findChild<QComboBox*>(QString::number(kProjectCombo));
}

QStringList Entries(const QComboBox& combo) {
    QStringList entries;
    for (int i = 0; i < combo.count(); ++i)
        entries << combo.itemText(i);
    return entries;
}

}  // namespace

class UiFrameProjectTest : public QObject {
    Q_OBJECT
private slots:
    void NewProjectCreatesSelectsAndRefusesBadNames() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        const QString exists = "A project of this name already exists. Please choose another name.";
        const struct {
            QString typed;
            QString message;
        } kRefused[] = {
            {"..", exists},
            {"SHOP", exists},
            {"a/b",
             "The following characters are illegal in project names.\n"
             "\\ / : * ? \" < > | [ ] and control characters"},
            {"  ", "You cannot create a new project without giving it a name."},
            {"news ", "Project names cannot end with a blank."},
        };
        for (const auto& c : kRefused) {
            quarn.dialogs.asked.clear();
            quarn.dialogs.names.push_back(c.typed);
            frame.Command(kNewProject)->trigger();
            QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
            QCOMPARE(quarn.dialogs.asked[0].text, c.message);
            QCOMPARE(quarn.dialogs.asked[0].type, kWarning);
        }
        QCOMPARE(Entries(*Combo(frame)), QStringList({"default", "shop"}));

        quarn.dialogs.asked.clear();
        quarn.dialogs.names.push_back(QString());  // Cancel
        frame.Command(kNewProject)->trigger();
        QVERIFY(quarn.dialogs.asked.empty());

        quarn.dialogs.names.push_back("  news");
        frame.Command(kNewProject)->trigger();
        QVERIFY(quarn.dialogs.asked.empty());
        QCOMPARE(Entries(*Combo(frame)), QStringList({"default", "shop", "news"}));
        QCOMPARE(Combo(frame)->currentText(), QString("news"));
        QCOMPARE(g_strProject.Get(), std::string("news"));
        QCOMPARE(g_settings.GetGlobal(global_key::defprofile), std::string("news"));
        QVERIFY(fs::is_directory(quarn.ProjectDir("news") + "/html"));
        QVERIFY(fs::is_regular_file(quarn.ProjectDir("news") + "/Script1.scp"));
        QCOMPARE(fs::canonical(fs::current_path()), fs::canonical(quarn.ProjectDir("news")));
    }

    void TheNewProjectDialogTakesTheTypedName() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CQtFrameDialogs dialogs;
        const auto answerWith = [](int key) {
            QTimer::singleShot(0, [key] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                QCOMPARE(dialog->objectName(), QString("165"));
                QCOMPARE(dialog->windowTitle(), QString("Quarn Pro"));
                auto* name = dialog->findChild<QLineEdit*>("1000");
                QCOMPARE(name->maxLength(), 32);
                QCOMPARE(name->toolTip(), QString("Quarn Pro project name"));
                QTest::keyClicks(name, "My Site");
                SaveScreenshot(*dialog, "new_project_dialog");
                QTest::keyClick(name, static_cast<Qt::Key>(key));
            });
        };
        answerWith(Qt::Key_Return);
        QCOMPARE(dialogs.AskProjectName(quarn.frame.get()), std::optional<QString>("My Site"));
        answerWith(Qt::Key_Escape);
        QCOMPARE(dialogs.AskProjectName(quarn.frame.get()), std::nullopt);
    }

    void DeleteAsksAndRemovesTheActiveProject() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        QComboBox& combo = *Combo(frame);
        quarn.dialogs.asked.clear();
        frame.Command(kDeleteProject)->trigger();
        QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
        QCOMPARE(quarn.dialogs.asked[0].text, QString("You cannot delete the default project."));
        QCOMPARE(quarn.dialogs.asked[0].type, kWarning);

        combo.setCurrentIndex(1);
        emit combo.activated(1);
        QCOMPARE(g_strProject.Get(), std::string("shop"));
        quarn.PutFile(quarn.ProjectDir("shop") + "/html/index.html", "x");
        const QString question =
            "This action will permanently remove all files and settings stored under project "
            "\"shop\". Are you sure you want to continue?";
        quarn.dialogs.asked.clear();
        quarn.dialogs.buttons = {kCancelButton};
        frame.Command(kDeleteProject)->trigger();
        QCOMPARE(quarn.dialogs.asked.size(), size_t{1});
        QCOMPARE(quarn.dialogs.asked[0].text, question);
        QCOMPARE(quarn.dialogs.asked[0].type, kOkCancelWarning);
        QVERIFY(fs::exists(quarn.ProjectDir("shop") + "/html/index.html"));

        quarn.dialogs.buttons = {kOk};
        frame.Command(kDeleteProject)->trigger();
        QVERIFY(!fs::exists(quarn.ProjectDir("shop")));
        QVERIFY(fs::is_directory(quarn.ProjectDir("default")));
        QCOMPARE(Entries(combo), QStringList({"default"}));
        QCOMPARE(combo.currentText(), QString("default"));
        QCOMPARE(g_strProject.Get(), std::string("default"));
        QCOMPARE(g_settings.GetGlobal(global_key::defprofile), std::string("default"));
    }

    void ProjectCommandsAnswerBusyWhileAJobHoldsTheProject() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        ProjectLockHolder job;
        quarn.dialogs.asked.clear();
        quarn.dialogs.names.push_back("news");
        quarn.dialogs.files.push_back("/tmp/a.scp");
        for (int id : {kNewProject, kDeleteProject, kOpenEditScript, kPreview})
            frame.Command(id)->trigger();
        job.Release();
        QVERIFY(quarn.dialogs.asked.empty());
        QCOMPARE(quarn.dialogs.names.size(), size_t{1});
        QCOMPARE(quarn.dialogs.fileDialogs, 0);
        QVERIFY(quarn.launcher.launched.empty());
        QCOMPARE(Entries(*Combo(frame)), QStringList({"default", "shop"}));
    }

    void LaunchesReachTheLauncherWithTheirCommandLines() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        const std::string project = quarn.ProjectDir("default");
        const std::string programDir = g_strProgramDir;
        std::vector<LaunchCommand>& launched = quarn.launcher.launched;

        quarn.dialogs.files.push_back("/scripts/my page.scp");
        frame.Command(kOpenEditScript)->trigger();
        frame.Command(kWizard)->trigger();
        frame.Command(kTolvane)->trigger();
        frame.Command(kListOutput)->trigger();
        g_settings.Set("default", project_key::database, "  sqlitebrowser \"site data.db\"");
        frame.Command(kOpenDatabase)->trigger();
        g_settings.Set("default", project_key::htmltop, "index.html");
        frame.Command(kPreview)->trigger();
        const std::vector<LaunchCommand> expected = {
            {"tolvane", {"/scripts/my page.scp"}, project},
            {programDir + "/kestrel", {}, ""},
            {programDir + "/tolvane", {}, ""},
            {"xdg-open", {project + "/listfile.txt"}, project},
            {"sqlitebrowser", {"site data.db"}, project},
            {"xdg-open", {project + "/html/index.html"}, ""},
        };
        QVERIFY(launched == expected);
        QVERIFY(quarn.dialogs.asked.empty());

        // An absolute HTML root, written with "\", is where publishing writes: the preview
        // opens the page there too.
        const std::string root = project + "/elsewhere/site";
        fs::create_directories(root);
        g_settings.Set("default", project_key::roothtml, project + "\\elsewhere\\site\\");
        launched.clear();
        frame.Command(kPreview)->trigger();
        QVERIFY(launched == std::vector<LaunchCommand>({{"xdg-open", {root + "/index.html"}, ""}}));
    }

    void LaunchFailuresShowTheirErrors() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        const auto answer = [&](int id) {
            quarn.dialogs.asked.clear();
            frame.Command(id)->trigger();
            if (quarn.dialogs.asked.size() != 1)
                return QString("<%1 messages>").arg(quarn.dialogs.asked.size());
            if (quarn.dialogs.asked[0].type != kError) return QString("<not an error box>");
            return quarn.dialogs.asked[0].text;
        };
        QCOMPARE(answer(kOpenDatabase),
                 QString("ERROR 43- user database has not been defined. Check Helper Apps "
                         "settings under Project settings."));
        QCOMPARE(answer(kPreview),
                 QString("ERROR 39- top-level HTML document not defined. (Before previewing "
                         "HTML, you need to run a script.)"));
        g_settings.Set("default", project_key::htmltop, "index.html");
        g_settings.Set("default", project_key::roothtml, "missing");
        QCOMPARE(answer(kPreview), QString("ERROR 94- local HTML directory could not be opened. "
                                           "Check program settings."));
        g_settings.Set("default", project_key::roothtml, "html");
        g_settings.Set("default", project_key::database, "sqlitebrowser");
        quarn.launcher.fail = true;
        QCOMPARE(answer(kPreview), QString("ERROR 40- unable to run web browser. Check Helper "
                                           "Apps settings under Program Settings."));
        QCOMPARE(answer(kOpenDatabase), QString("ERROR 42- unable to run database. Check Helper "
                                                "Apps settings under Project Settings."));
        QCOMPARE(answer(kWizard), QString("ERROR 38- unable to run utility."));
        QCOMPARE(answer(kTolvane), QString("ERROR 38- unable to run utility."));
        QCOMPARE(answer(kListOutput),
                 QString("ERROR 37- unable to run text editor. Check program settings."));
        quarn.dialogs.files.push_back("/scripts/a.scp");
        QCOMPARE(answer(kOpenEditScript),
                 QString("ERROR 37- unable to run text editor. Check program settings."));
    }
};

QUARN_QT_TEST(UiFrameProjectTest)
#include "frame_project_test.moc"

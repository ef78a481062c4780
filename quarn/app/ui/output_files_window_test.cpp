// The Output Files dialog of a running quarn: both lists, opening a file with the list file
// editor, "Mark opened files as changed" feeding the next upload of changed files (a real FTP
// server), and the errors of Edit.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/main_frame.h"
#include "quarn/app/ui/output_files_dlg.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kError = 16;

QListWidget* List(const COutputFilesDlg& dialog) {
    return dialog.findChild<QListWidget*>("1011");
}

QStringList Names(const COutputFilesDlg& dialog) {
    QStringList names;
    for (int i = 0; i < List(dialog)->count(); ++i)
        names << List(dialog)->item(i)->text();
    return names;
}

void Select(const COutputFilesDlg& dialog, const QString& name) {
    const QList<QListWidgetItem*> found = List(dialog)->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    List(dialog)->setCurrentItem(found.front());
}

void Click(const COutputFilesDlg& dialog, const char* id) {
    QTest::mouseClick(dialog.findChild<QAbstractButton*>(id), Qt::LeftButton);
}

std::string FileText(const std::string& path) {
    return fixtures::ReadTextFile(path).value_or("<missing>");
}

}  // namespace

class UiOutputFilesTest : public QObject {
    Q_OBJECT
private slots:
    void BothViewsAndTheirKey() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default");
        quarn.PutFile(dir + "/htmlgen.log", "index.html\r\nnews/today.html\r\nabout us.html\r\n");
        quarn.PutFile(dir + "/htmlgen.chg", "news/today.html\r\n");
        COutputFilesDlg dialog(quarn.frame.get(), quarn.dialogs, quarn.launcher);
        QCOMPARE(dialog.objectName(), QString("148"));
        QCOMPARE(dialog.windowTitle(), QString("Quarn Pro"));
        QCOMPARE(dialog.findChild<QCheckBox*>("1005")->toolTip(),
                 QString("Add edited files to Quarn Pro changed files upload list"));
        QCOMPARE(Names(dialog), QStringList({"index.html", "news/today.html", "about us.html"}));
        SaveScreenshot(dialog, "output_files_all");
        Click(dialog, "1004");
        QCOMPARE(g_settings.Get("default", project_key::sco), 1);
        QCOMPARE(Names(dialog), QStringList({"news/today.html"}));
        SaveScreenshot(dialog, "output_files_changed");
        dialog.reject();

        // The next opening shows the view the key names.
        COutputFilesDlg again(quarn.frame.get(), quarn.dialogs, quarn.launcher);
        QVERIFY(again.findChild<QCheckBox*>("1004")->isChecked());
        QCOMPARE(Names(again), QStringList({"news/today.html"}));
        fs::remove(dir + "/htmlgen.chg");
        Click(again, "1004");
        Click(again, "1004");
        QVERIFY(Names(again).isEmpty());
        again.reject();
    }

    void EditedFilesMarkedAsChangedAreUploadedNext() {
        fixtures::FtpServer server;
        if (!server.IsRunning()) QSKIP(server.FailureReason().c_str());
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default");
        UploadTo(server, "default");
        quarn.PutFile(dir + "/html/index.html", "home");
        quarn.PutFile(dir + "/html/page.html", "page");
        quarn.PutFile(dir + "/html/my page.html", "mine");
        quarn.PutFile(dir + "/htmlgen.log", "index.html\r\npage.html\r\nmy page.html\r\n");
        quarn.PutFile(dir + "/htmlgen.chg", "my page.html\r\n");

        COutputFilesDlg dialog(quarn.frame.get(), quarn.dialogs, quarn.launcher);
        Click(dialog, "1012");  // nothing selected: nothing opens
        QVERIFY(quarn.launcher.launched.empty());
        Select(dialog, "page.html");
        Click(dialog, "1012");  // not marked: opened only
        QCOMPARE(FileText(dir + "/htmlgen.chg"), std::string("my page.html\r\n"));
        Click(dialog, "1005");
        Click(dialog, "1012");
        emit List(dialog)->itemDoubleClicked(List(dialog)->currentItem());
        QCOMPARE(FileText(dir + "/htmlgen.chg"), std::string("my page.html\r\npage.html\r\n"));
        const LaunchCommand opened{"xdg-open", {dir + "/html/page.html"}, ""};
        QVERIFY(quarn.launcher.launched == std::vector<LaunchCommand>(3, opened));
        QVERIFY(quarn.dialogs.asked.empty());
        Click(dialog, "1013");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(g_settings.Get("default", project_key::addedit2chg), 1);

        quarn.frame->Command(frame_command::kUploadChanged)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(quarn.LastLine(),
                                  QString("Files successfully transferred to web server."), 20000);
        QVERIFY(quarn.WaitUntilIdle());
        QCOMPARE(FileText(server.RootFile("page.html")), std::string("page"));
        QCOMPARE(FileText(server.RootFile("my page.html")), std::string("mine"));
        QVERIFY(!fs::exists(server.RootFile("index.html")));
        QVERIFY(!fs::exists(dir + "/htmlgen.chg"));
    }

    void EditReportsWhatFails() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default");
        quarn.PutFile(dir + "/htmlgen.log", "a.html\r\n");
        g_settings.Set("default", project_key::addedit2chg, 1);
        COutputFilesDlg dialog(quarn.frame.get(), quarn.dialogs, quarn.launcher);
        QVERIFY(dialog.findChild<QCheckBox*>("1005")->isChecked());
        Select(dialog, "a.html");
        const auto answer = [&] {
            quarn.dialogs.asked.clear();
            Click(dialog, "1012");
            QStringList texts;
            for (const auto& question : quarn.dialogs.asked)
                texts << (question.type == kError ? "" : "<not an error> ") + question.text;
            return texts;
        };
        quarn.launcher.fail = true;
        QCOMPARE(answer(),
                 QStringList({"ERROR 88- unable to run text editor. Check program settings."}));
        quarn.launcher.fail = false;
        g_settings.Set("default", project_key::roothtml, "missing");
        QCOMPARE(answer(), QStringList({"ERROR 94- local HTML directory could not be opened. "
                                        "Check program settings."}));
        g_settings.Set("default", project_key::roothtml, "html");
        fs::remove(dir + "/htmlgen.chg");
        fs::create_directories(dir + "/htmlgen.chg");
        quarn.launcher.launched.clear();
        QCOMPARE(answer(), QStringList({"ERROR 28- upload list file could not be opened."}));
        QCOMPARE(quarn.launcher.launched.size(), size_t{1});  // opened all the same
    }

    void TheCommandOpensTheDialogOnlyWhenTheProjectIsFree() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        QAction* command = quarn.frame->Command(frame_command::kEditOutputFiles);
        QString opened;
        const auto closeNextModal = [&opened] {
            opened = "none";
            QTimer::singleShot(0, [&opened] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    opened = modal->objectName();
                    modal->close();
                }
            });
        };
        closeNextModal();
        command->trigger();
        QCOMPARE(opened, QString("148"));
        QCOMPARE(g_settings.File().GetString("default", "addedit2chg", "<none>"),
                 std::string("<none>"));  // closing is not OK: nothing written
        {
            ProjectLockHolder job;
            closeNextModal();
            command->trigger();
            QTest::qWait(50);
        }
        QCOMPARE(opened, QString("none"));
    }
};

QUARN_QT_TEST(UiOutputFilesTest)
#include "output_files_window_test.moc"

#include "quarn/app/ui/main_frame.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "quarn/app/ui/frame_commands.h"
#include "quarn/app/ui/progress_dlg.h"
#include "quarn/app/ui/qt_prompter.h"
#include "quarn/app/ui/quarn_view.h"
#include "quarn/app/ui/splash_dlg.h"
#include "quarn/app/ui/ui_test_support.h"
#include "quarn/app/upload.h"
#include "quarn/services/notifications.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/qt_test_registry.h"

namespace {

using namespace frame_command;

constexpr const char* kComplete = "Script execution complete.";

template <typename T>
T* Find(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(top); found && top->objectName() == name) return found;
        if (auto* found = top->findChild<T*>(name)) return found;
    }
    return nullptr;
}

QString Pane(const CMainFrame& frame, int id) {
    return frame.findChild<QLabel*>(QString::number(id))->text();
}

}  // namespace

class UiMainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void EveryCommandHasItsIdTextAndShortcut() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        for (const FrameCommand& command : FrameCommands()) {
            if (command.id == kProjectCombo) continue;
            QAction* action = quarn.frame->Command(command.id);
            QVERIFY2(action != nullptr, qPrintable(QString::number(command.id)));
            QCOMPARE(action->isEnabled(), command.enable != CommandEnable::kNever);
        }
        QCOMPARE(quarn.frame->Command(kPublish)->shortcut(), QKeySequence("Ctrl+P"));
        QCOMPARE(quarn.frame->Command(kPublish)->statusTip(), QString("Publish project"));
        QCOMPARE(quarn.frame->Command(kOpenRunScript)->shortcut(), QKeySequence("Ctrl+Shift+R"));
        auto* combo = quarn.frame->findChild<QComboBox*>(QString::number(kProjectCombo));
        QVERIFY(combo != nullptr);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), QString("default"));
        QCOMPARE(Pane(*quarn.frame, 59142), QString("IDLE"));
        SaveScreenshot(*quarn.frame, "main_window_idle");
    }

    void AJobsStatusLinesReachTheLogInPostingOrder() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        quarn.frame->resize(600, 1400);
        std::string script;
        for (int i = 0; i < 40; ++i)
            script += "&print(\"line " + std::to_string(i) + "\")";
        quarn.PutFile(quarn.ProjectDir("default") + "/lines.scp", script);
        // Dropped on the window, as a person does.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(
            QString::fromStdString(quarn.ProjectDir("default") + "/lines.scp"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(quarn.frame.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(quarn.frame.get(), &drop);
        QTRY_COMPARE_WITH_TIMEOUT(quarn.LastLine(), QString(kComplete), 20000);
        QVERIFY(quarn.WaitUntilIdle());
        const QStringList& lines = quarn.frame->View()->Lines();
        const qsizetype first = lines.indexOf("line 0");
        QVERIFY(first >= 0);
        for (int i = 0; i < 40; ++i)
            QCOMPARE(lines.at(first + i), QString("line %1").arg(i));
    }

    void FrameNotificationsChangeTheWindow() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        const auto post = [&](unsigned code) {
            quarn.queue.Post(WM_FRAMENOTIFY, code, 0);
            QCoreApplication::processEvents();
        };
        post(FRAME_BUSY);
        QCOMPARE(Pane(frame, 59142), QString("BUSY"));
        QVERIFY(!frame.Command(kPublish)->isEnabled());
        QVERIFY(frame.Command(kCancel)->isEnabled());
        post(FRAME_PROGRESS_OPEN);
        QVERIFY(frame.ProgressDlg() != nullptr);
        QVERIFY(frame.ProgressDlg()->isVisible());
        g_nProgressPos = 40;
        g_szProgressText.Set("Uploading file 3 of 5  (x.html)");
        post(FRAME_PROGRESS_UPDATE);
        QCOMPARE(frame.ProgressDlg()->Position(), 40);
        QCOMPARE(frame.ProgressDlg()->windowTitle(), QString("Uploading file 3 of 5  (x.html)"));
        SaveScreenshot(frame, "main_window_busy");
        SaveScreenshot(*frame.ProgressDlg(), "progress_window");
        post(FRAME_PROGRESS_CLOSE);
        QCOMPARE(frame.ProgressDlg(), nullptr);
        post(FRAME_ERROR);
        post(FRAME_IDLE);
        QCOMPARE(Pane(frame, 59143), QString(" ! "));
        QVERIFY(frame.Command(kPublish)->isEnabled());
        SaveScreenshot(frame, "main_window_error");
        frame.Command(kClearError)->trigger();
        QCOMPARE(Pane(frame, 59143), QString("   "));
        QCOMPARE(g_settings.GetGlobal(global_key::erstat), std::string("   "));
        post(FRAME_CLEAR_VIEW);
        QVERIFY(frame.View()->Lines().isEmpty());
        g_szPendingProject.Set("SHOP");
        post(FRAME_SELECT_PROJECT);
        QCOMPARE(frame.findChild<QComboBox*>("32832")->currentText(), QString("shop"));
        // Without a tray the window is minimised, never lost.
        quarn.tray.available = false;
        post(FRAME_HIDE_TO_TRAY);
        QVERIFY(frame.isMinimized());
        post(99);
    }

    void EscInTheLogCancelsARunningScript() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CQtPrompter prompter(quarn.frame.get());
        const CScopedPrompter install(prompter);
        quarn.PutFile(quarn.ProjectDir("default") + "/wait.scp",
                      "&print(\"started\")&msgbox(\"Go on\")&if(1==1){&print(\"not reached\")}");
        quarn.frame->RunDroppedFile(quarn.ProjectDir("default") + "/wait.scp");
        QTRY_VERIFY_WITH_TIMEOUT(Find<QMessageBox>("messagebox") != nullptr, 20000);
        QTest::keyClick(quarn.frame->View(), Qt::Key_Escape);
        QVERIFY(g_bCancelRequested);
        QTest::mouseClick(Find<QPushButton>("1"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(quarn.LastLine(), QString("Script execution terminated by user."),
                                  20000);
        QVERIFY(!quarn.frame->View()->Lines().contains("not reached"));
        QVERIFY(quarn.WaitUntilIdle());
    }

    void AScriptsQuestionsAreAnsweredInRealDialogs() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CQtPrompter prompter(quarn.frame.get());
        const CScopedPrompter install(prompter);
        quarn.PutFile(quarn.ProjectDir("default") + "/ask.scp",
                      "&defvar(?a?)&defvar(?b?)&msgbox(?a?,\"Go on\\?\",yesno+iconquestion)"
                      "&input(?b?,\"Your name:\")&print(\"?a? ?b?\")");
        quarn.frame->RunDroppedFile(quarn.ProjectDir("default") + "/ask.scp");
        QTRY_VERIFY_WITH_TIMEOUT(Find<QMessageBox>("messagebox") != nullptr, 20000);
        QMessageBox* box = Find<QMessageBox>("messagebox");
        QCOMPARE(box->text(), QString("Go on?"));
        QCOMPARE(box->windowTitle(), QString("Quarn Pro"));
        SaveScreenshot(*box, "script_message_box");
        QTest::mouseClick(box->findChild<QPushButton*>("6"), Qt::LeftButton);

        QTRY_VERIFY2_WITH_TIMEOUT(Find<QInputDialog>("input") != nullptr,
                                  qPrintable(quarn.frame->View()->Lines().join('|')), 20000);
        QInputDialog* input = Find<QInputDialog>("input");
        QCOMPARE(input->labelText(), QString("Your name:"));
        auto* line = input->findChild<QLineEdit*>();
        line->clear();
        QTest::keyClicks(line, "Zo");
        line->insert("ë");  // QTest types ASCII only
        SaveScreenshot(*input, "script_input_dialog");
        QTest::keyClick(line, Qt::Key_Return);

        QTRY_COMPARE_WITH_TIMEOUT(quarn.LastLine(), QString(kComplete), 20000);
        QVERIFY(quarn.frame->View()->Lines().contains(QString("6 Zoë")));
        QVERIFY(quarn.WaitUntilIdle());
    }

    void AClosedPrompterAnswersWithoutADialog() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        auto prompter = std::make_unique<CQtPrompter>(quarn.frame.get());
        const CScopedPrompter install(*prompter);
        quarn.PutFile(quarn.ProjectDir("default") + "/ask.scp",
                      "&defvar(?a?)&msgbox(?a?,\"Sure\\?\",yesno+256)&print(\"?a?\")");
        quarn.frame->RunDroppedFile(quarn.ProjectDir("default") + "/ask.scp");
        QTRY_VERIFY_WITH_TIMEOUT(Find<QMessageBox>("messagebox") != nullptr, 20000);
        // The program ends while the question is open: the default button answers.
        prompter->Close();
        QTRY_COMPARE_WITH_TIMEOUT(quarn.LastLine(), QString(kComplete), 20000);
        QVERIFY(quarn.frame->View()->Lines().contains("7"));
        QVERIFY(quarn.WaitUntilIdle());
    }

    void TheProgressWindowCountsAnUploadAndCancelStopsIt() {
        // Slow enough that the second file is still on its way when Cancel is pressed.
        fixtures::FtpServer::Options options;
        options.readLimit = 256 * 1024;
        fixtures::FtpServer server(options);
        if (!server.IsRunning()) QSKIP(server.FailureReason().c_str());
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        const std::string dir = quarn.ProjectDir("default");
        UploadTo(server, "default");
        quarn.PutFile(dir + "/html/a.html", "first");
        quarn.PutFile(dir + "/html/b.html", std::string(16 << 20, 'x'));
        quarn.PutFile(dir + "/htmlgen.log", "a.html\r\nb.html\r\n");

        quarn.frame->Command(kUploadAllOutput)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(
            quarn.frame->ProgressDlg() != nullptr &&
                quarn.frame->ProgressDlg()->windowTitle() == "Uploading file 2 of 2  (b.html)",
            20000);
        CProgressDlg* progress = quarn.frame->ProgressDlg();
        QCOMPARE(progress->Position(), 50);
        QTest::mouseClick(progress->findChild<QPushButton*>("2"), Qt::LeftButton);
        QVERIFY(g_bCancelRequested);
        QTRY_VERIFY_WITH_TIMEOUT(quarn.frame->ProgressDlg() == nullptr, 20000);
        QVERIFY(quarn.WaitUntilIdle());
        QCOMPARE(quarn.LastLine(), QString("ERROR 31- upload cancelled by user."));
        QCOMPARE(Pane(*quarn.frame, 59143), QString(" ! "));
        QCOMPARE(fixtures::ReadTextFile(server.RootFile("a.html")).value_or(""),
                 std::string("first"));
    }

    void TheWindowNeverWaitsForTheProjectLock() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        // A job that holds the project and has not yet said it is busy.
        ProjectLockHolder job;
        quarn.dialogs.files.push_back(QString("x.scp"));
        frame.Command(kOpenRunScript)->trigger();
        QCOMPARE(quarn.dialogs.fileDialogs, 0);
        auto* combo = frame.findChild<QComboBox*>("32832");
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QCOMPARE(combo->currentText(), QString("default"));
        QCOMPARE(g_strProject.Get(), std::string("default"));
        job.Release();

        // Free again: the switch goes through.
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        QCOMPARE(g_strProject.Get(), std::string("shop"));
        QCOMPARE(g_settings.GetGlobal(global_key::defprofile), std::string("shop"));
    }

    void ExitAsksWhileBusyAndSavesThePlacement() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_BUSY, 0);
        QTRY_VERIFY(!frame.IsIdle());
        quarn.dialogs.buttons = {7};  // No
        frame.Command(kExit)->trigger();
        QVERIFY(frame.isVisible());
        QCOMPARE(quarn.dialogs.asked.back().text,
                 QString("Quarn Pro is busy. Are you sure you want to quit?"));
        frame.resize(520, 400);
        quarn.dialogs.buttons = {6};  // Yes
        frame.Command(kExit)->trigger();
        QVERIFY(!frame.isVisible());
        QCOMPARE(g_settings.GetGlobal(global_key::windowx), 520);
        QCOMPARE(g_settings.GetGlobal(global_key::windowy), 400);
        QVERIFY(
            !g_settings.File().GetString(CMainFrame::BarStateSection(), "barstate", "").empty());
        quarn.queue.Post(WM_FRAMENOTIFY, FRAME_IDLE, 0);
    }

    void TheTrayHoldsTheHiddenWindowAndGivesItBack() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        CMainFrame& frame = *quarn.frame;
        QVERIFY(quarn.tray.shown);
        QCOMPARE(quarn.tray.tip, QString("Quarn Pro"));
        QCOMPARE(quarn.tray.menu, frame.TrayMenu());
        QStringList entries;
        for (const QAction* action : frame.TrayMenu()->actions())
            entries << (action->isSeparator() ? "-" : action->objectName());
        QCOMPARE(entries, QStringList({"", "-", "32780", "32782", "32813", "-", "32792"}));

        // Double click and the menu's first entry each bring the hidden window back.
        const std::function<void()> restores[] = {
            quarn.tray.doubleClick, [&] { frame.TrayMenu()->actions().front()->trigger(); }};
        for (const std::function<void()>& restore : restores) {
            quarn.queue.Post(WM_FRAMENOTIFY, FRAME_HIDE_TO_TRAY, 0);
            QTRY_VERIFY(frame.isHidden());
            QVERIFY(!frame.isMinimized());
            restore();
            QVERIFY(frame.isVisible());
        }
        // A double click on the icon of a shown window leaves it as it is.
        quarn.tray.doubleClick();
        QVERIFY(frame.isVisible());

        frame.TrayMenu()->adjustSize();
        SaveScreenshot(*frame.TrayMenu(), "tray_menu");
        QVERIFY(frame.ExitProgram());
        QVERIFY(!quarn.tray.shown);
    }

    void TheSplashShowsAndGoes() {
        WindowFixture quarn;
        QVERIFY(quarn.Ok());
        quarn.frame->ShowSplash(200);
        QVERIFY(quarn.frame->Splash() != nullptr);
        QCOMPARE(quarn.frame->Splash()->size(), QSize(400, 273));
        SaveScreenshot(*quarn.frame->Splash(), "splash");
        QTRY_VERIFY(quarn.frame->Splash() == nullptr);
    }
};

QUARN_QT_TEST(UiMainFrameTest)
#include "main_frame_test.moc"

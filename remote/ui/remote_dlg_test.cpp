// The main dialog against a scripted server: each button sends its command and shows the reply's
// message, a failed log-on leaves every button refused, a running job keeps the window alive
// with its buttons disabled and clicks on them dropped, and the settings and About windows open
// from the menus.

#include "remote/ui/remote_dlg.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "remote/scripted_log_on.h"
#include "remote/ui/about_dlg.h"
#include "remote/ui/remote_settings_dlg.h"
#include "remote/ui/remote_ui_test_support.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/scripted_ftp_server.h"

namespace {

using fixtures::ScriptedFtpServer;
using Lines = std::vector<std::string>;

RemoteSettings SettingsFor(const ScriptedFtpServer& server, std::string project = "",
                           std::string script = "s.scp") {
    return {"127.0.0.1", server.Port(), "ann", "a b", std::move(script), std::move(project)};
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int painted = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++painted;
        return false;
    }
};

// Runs `answer` on the next modal dialog that opens.
void AnswerNextModal(std::function<void(QWidget&)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        answer(*modal);
    });
}

bool ButtonsEnabled(QWidget& dialog) {
    for (const char* id : {"1000", "1006", "1007"})
        if (!dialog.findChild<QPushButton*>(id)->isEnabled()) return false;
    return true;
}

}  // namespace

class UiRemoteDlgTest : public QObject {
    Q_OBJECT
private slots:
    void eachButtonSendsItsCommandAndShowsTheReply_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("project");
        QTest::addColumn<QStringList>("exchange");  // expected line, then the reply, in pairs
        QTest::addColumn<QString>("shown");
        QTest::newRow("run") << "1000"
                             << "" << QStringList{"run s.scp", "200 OK"} << "Command Successful";
        QTest::newRow("publish") << "1006"
                                 << "" << QStringList{"publish", "550 no upload"}
                                 << "Quarn returned the following error message:\nno upload";
        QTest::newRow("ftp") << "1007"
                             << "" << QStringList{"ftp", "551 BUSY"}
                             << "Quarn is busy. Command ignored.";
        QTest::newRow("run in a project")
            << "1000"
            << "shop" << QStringList{"lock",      "214 OK", "project shop", "214 OK",
                                     "run s.scp", "200 OK", "unlock",       "214 OK"}
            << "Command Successful";
    }
    void eachButtonSendsItsCommandAndShowsTheReply() {
        QFETCH(QString, button);
        QFETCH(QString, project);
        QFETCH(QStringList, exchange);
        QFETCH(QString, shown);
        ScriptedFtpServer server;
        LogOnSteps(server);
        Lines sent;
        for (qsizetype i = 0; i + 1 < exchange.size(); i += 2) {
            server.Expect(exchange[i].toStdString()).Reply(exchange[i + 1].toStdString());
            sent.push_back(exchange[i].toStdString());
        }
        server.ExpectClose();
        QVERIFY(server.Start());
        SettingsFixture settings;
        QVERIFY(settings.Put(SettingsFor(server, project.toStdString())));
        CRecordingRemoteMessages messages;
        {
            CRemoteDlg dialog(settings.store, messages);
            dialog.show();
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsBusy(), 60000);
            QVERIFY(messages.shown.empty());
            ClickButton(dialog, button.toLatin1().constData());
            QVERIFY(messages.WaitForCount(1));
            QCOMPARE(QString::fromStdString(messages.shown[0].text), shown);
        }
        QVERIFY2(server.WaitDone(), server.Failure().c_str());
        QCOMPARE(server.Received(), WithLogOn(sent));
    }

    void aFailedLogOnLeavesEveryButtonRefused() {
        ScriptedFtpServer server;
        server.Reply("421 Service not available").ExpectClose();
        QVERIFY(server.Start());
        SettingsFixture settings;
        QVERIFY(settings.Put(SettingsFor(server, "shop")));
        CRecordingRemoteMessages messages;
        {
            CRemoteDlg dialog(settings.store, messages);
            dialog.show();
            QVERIFY(messages.WaitForCount(1));
            QCOMPARE(messages.shown[0], remote_message::InvalidGreeting());
            // Each click waits for the one before it: clicks during an exchange are dropped.
            for (const char* id : {"1000", "1006", "1007"}) {
                ClickButton(dialog, id);
                QVERIFY(messages.WaitForCount(messages.shown.size() + 1));
                QCOMPARE(messages.shown.back(), remote_message::NotLoggedOn());
            }
        }
        QVERIFY2(server.WaitDone(), server.Failure().c_str());
        QCOMPARE(server.Received(), Lines{});
    }

    // While a job runs the window still paints, its buttons are disabled with the wait cursor
    // shown, and clicks on them then start nothing, not even once the job has ended.
    void aRunningJobKeepsTheWindowAliveAndDropsClicks() {
        std::atomic<bool> arrived{false};
        std::atomic<bool> release{false};
        ScriptedFtpServer server;
        LogOnSteps(server);
        server.Expect("run s.scp")
            .Call([&] {
                arrived = true;
                while (!release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            })
            .Reply("200 OK")
            .Expect("publish")
            .Reply("200 OK")
            .ExpectClose();
        QVERIFY(server.Start());
        SettingsFixture settings;
        QVERIFY(settings.Put(SettingsFor(server)));
        CRecordingRemoteMessages messages;
        {
            CRemoteDlg dialog(settings.store, messages);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsBusy(), 60000);
            QVERIFY(ButtonsEnabled(dialog));

            ClickButton(dialog, "1000");
            QTRY_VERIFY_WITH_TIMEOUT(arrived.load(), 60000);
            QVERIFY(dialog.IsBusy());
            for (const char* id : {"1000", "1006", "1007"})
                QVERIFY(!dialog.findChild<QPushButton*>(id)->isEnabled());
            QCOMPARE(dialog.cursor().shape(), Qt::WaitCursor);
            PaintCounter counter;
            dialog.installEventFilter(&counter);
            dialog.update();
            QTRY_VERIFY_WITH_TIMEOUT(counter.painted > 0, 60000);
            dialog.removeEventFilter(&counter);
            SaveScreenshot(dialog, "remote_main_busy");
            for (const char* id : {"1006", "1007", "1000"})
                ClickButton(dialog, id);
            QTest::keyClick(&dialog, Qt::Key_Return);

            release = true;
            QVERIFY(messages.WaitForCount(1));
            QCOMPARE(messages.shown[0], remote_message::CommandSuccessful());
            QVERIFY(ButtonsEnabled(dialog));
            QCOMPARE(dialog.cursor().shape(), Qt::ArrowCursor);
            // The next command the server gets is the one clicked now.
            ClickButton(dialog, "1006");
            QVERIFY(messages.WaitForCount(2));
            QCOMPARE(messages.shown[1], remote_message::CommandSuccessful());
        }
        QVERIFY2(server.WaitDone(), server.Failure().c_str());
        QCOMPARE(server.Received(), WithLogOn({"run s.scp", "publish"}));
    }

    void closingDuringAJobEndsTheWaitAndShowsNothing() {
        std::atomic<bool> arrived{false};
        ScriptedFtpServer server;
        LogOnSteps(server);
        server.Expect("ftp").Call([&] { arrived = true; }).ExpectClose();
        QVERIFY(server.Start());
        SettingsFixture settings;
        QVERIFY(settings.Put(SettingsFor(server)));
        CRecordingRemoteMessages messages;
        auto dialog = std::make_unique<CRemoteDlg>(settings.store, messages);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->IsBusy(), 60000);
        ClickButton(*dialog, "1007");
        QTRY_VERIFY_WITH_TIMEOUT(arrived.load(), 60000);
        dialog.reset();
        QVERIFY2(server.WaitDone(), server.Failure().c_str());
        QCoreApplication::processEvents();
        QVERIFY(messages.shown.empty());
    }

    void settingsWritesItsSixValuesOnOkAndNothingOnCancel() {
        SettingsFixture settings;
        CRecordingRemoteMessages messages;
        CRemoteDlg dialog(settings.store, messages);
        QVERIFY(messages.WaitForCount(1));
        QCOMPARE(messages.shown[0], remote_message::ConnectError());
        auto* action = dialog.findChild<QAction*>("settings");
        QVERIFY(action != nullptr);

        AnswerNextModal([](QWidget& modal) {
            QCOMPARE(modal.objectName(), QString("130"));
            modal.findChild<QLineEdit*>("1001")->setText("10.0.0.7");
            qobject_cast<QDialog*>(&modal)->reject();
        });
        action->trigger();
        QVERIFY(!QFile::exists(QString::fromStdString(settings.store.Path())));

        AnswerNextModal([](QWidget& modal) {
            // The defaults come first.
            QCOMPARE(modal.findChild<QLineEdit*>("1002")->text(), QString("124"));
            const std::pair<const char*, const char*> fields[] = {
                {"1001", "10.0.0.7"}, {"1002", "4124"}, {"1003", "ann"},
                {"1004", "a b"},      {"1008", "shop"}, {"1005", "s.scp"}};
            for (const auto& [id, text] : fields)
                modal.findChild<QLineEdit*>(id)->setText(text);
            qobject_cast<QDialog*>(&modal)->accept();
        });
        action->trigger();
        QCOMPARE(settings.store.Load(),
                 (RemoteSettings{"10.0.0.7", 4124, "ann", "a b", "s.scp", "shop"}));
        QCOMPARE(messages.shown.size(), std::size_t(1));
    }

    void aboutOpensFromTheHelpMenu() {
        SettingsFixture settings;
        CRecordingRemoteMessages messages;
        CRemoteDlg dialog(settings.store, messages);
        QVERIFY(messages.WaitForCount(1));
        bool opened = false;
        AnswerNextModal([&](QWidget& modal) {
            opened = true;
            QCOMPARE(modal.objectName(), QString("100"));
            QCOMPARE(modal.windowTitle(), QString("About remote"));
            QCOMPARE(modal.findChild<QLabel*>("version")->text(), QString("Quarn remote V1.2"));
            SaveScreenshot(modal, "remote_about");
            qobject_cast<QDialog*>(&modal)->accept();
        });
        dialog.findChild<QAction*>("about")->trigger();
        QVERIFY(opened);
    }

    void theMainDialogHasItsCaptionButtonsAndMenus() {
        SettingsFixture settings;
        CRecordingRemoteMessages messages;
        CRemoteDlg dialog(settings.store, messages);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(messages.WaitForCount(1));
        QCOMPARE(dialog.objectName(), QString("102"));
        QCOMPARE(dialog.windowTitle(), QString("Quarn Remote"));
        const std::pair<const char*, const char*> buttons[] = {
            {"1006", "Publish"}, {"1000", "Run"}, {"1007", "FTP"}};
        for (const auto& [id, text] : buttons)
            QCOMPARE(dialog.findChild<QPushButton*>(id)->text(), QString(text));
        const std::pair<const char*, const char*> actions[] = {
            {"exit", "E&xit"}, {"settings", "&Settings"}, {"help", "&Help"}, {"about", "&About"}};
        for (const auto& [id, text] : actions)
            QCOMPARE(dialog.findChild<QAction*>(id)->text(), QString(text));
        QVERIFY(!dialog.findChild<QLabel*>("picture")->pixmap().isNull());
        SaveScreenshot(dialog, "remote_main");
        dialog.findChild<QAction*>("exit")->trigger();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void messageBoxesCarryTheirIconAndCaption() {
        struct Case {
            RemoteMessage message;
            QMessageBox::Icon icon;
            const char* caption;
        };
        const Case cases[] = {
            {remote_message::SocketError(), QMessageBox::NoIcon, "remote"},
            {remote_message::ConnectError(), QMessageBox::Critical, "Quarn remote"},
            {remote_message::InvalidGreeting(), QMessageBox::Critical, "Quarn remote"},
            {remote_message::InvalidUserReply(), QMessageBox::Warning, "Quarn remote"},
            {remote_message::AccessDenied(), QMessageBox::Warning, "Quarn remote"},
            {remote_message::NotLoggedOn(), QMessageBox::Warning, "Quarn remote"},
            {remote_message::NetworkError(), QMessageBox::Warning, "Quarn remote"},
            {remote_message::Busy(), QMessageBox::Warning, "Quarn remote"},
            {remote_message::ProjectError(), QMessageBox::Warning, "Quarn remote"},
            {remote_message::CommandFailed("x"), QMessageBox::Warning, "Quarn remote"},
            {remote_message::CommandSuccessful(), QMessageBox::Information, "Quarn remote"},
        };
        for (const Case& c : cases) {
            const std::unique_ptr<QMessageBox> box(MakeRemoteMessageBox(nullptr, c.message));
            QCOMPARE(box->text(), QString::fromStdString(c.message.text));
            QCOMPARE(box->icon(), c.icon);
            QCOMPARE(box->windowTitle(), QString(c.caption));
            QCOMPARE(box->buttons().size(), qsizetype(1));
        }
    }
};

QUARN_QT_TEST(UiRemoteDlgTest)

#include "remote_dlg_test.moc"

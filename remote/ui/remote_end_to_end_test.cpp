// The main dialog against the real quarn program file running as a service, with a real FTP
// server for FTP and Publish: each button with and without a project, a failing script, a job
// held busy by a second client, and the log-on failures (wrong password, no server).

#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "remote/ui/remote_dlg.h"
#include "remote/ui/remote_ui_test_support.h"
#include "tests/fixtures/free_port.h"
#include "tests/fixtures/ftp_server.h"
#include "tests/fixtures/line_client.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/quarn_service.h"

namespace {

// Runs until the test creates the file "release" in the project directory.
constexpr const char* kHeldScript =
    "&exec(\"until [ -e release ]; do sleep 0.02; done\")&html(\"held.html\"){held}";

std::string FileText(const std::string& path) {
    return fixtures::ReadTextFile(path).value_or("<missing>");
}

}  // namespace

class UiRemoteEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_ftp = std::make_unique<fixtures::FtpServer>();
        if (!m_ftp->IsRunning()) QSKIP(m_ftp->FailureReason().c_str());
        m_quarn = std::make_unique<fixtures::QuarnService>(QUARN_BINARY);
        QVERIFY2(m_quarn->SetupError().empty(), m_quarn->SetupError().c_str());
        const std::pair<const char*, const char*> scripts[] = {
            {"default/Script1.scp", "&html(\"index.html\"){home}"},
            {"default/ok.scp", "&html(\"ok.html\"){ok}"},
            {"default/bad.scp", "&die(\"out of stock\")"},
            {"default/held.scp", kHeldScript},
            {"shop/Script1.scp", "&html(\"index.html\"){shop}"},
            {"shop/ok.scp", "&html(\"ok.html\"){shop ok}"}};
        for (const auto& [name, text] : scripts) {
            const std::string path = name;
            const auto slash = path.find('/');
            QVERIFY(m_quarn->PutFile(
                m_quarn->ProjectFile(path.substr(0, slash), path.substr(slash + 1)), text));
        }
        const std::string started = m_quarn->Start(*m_ftp);
        QVERIFY2(started.empty(), started.c_str());
    }
    void cleanup() {
        m_quarn.reset();
        m_ftp.reset();
    }

    void runPublishAndFtpWithoutAProject() {
        CRecordingRemoteMessages messages;
        SettingsFixture settings;
        QVERIFY(settings.Put({"127.0.0.1", m_quarn->Port(), "admin", "s3cret", "ok.scp", ""}));
        CRemoteDlg dialog(settings.store, messages);
        dialog.show();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsBusy(), 60000);
        QVERIFY(messages.shown.empty());

        ClickButton(dialog, "1000");
        QVERIFY(messages.WaitForCount(1));
        QCOMPARE(messages.shown[0], remote_message::CommandSuccessful());
        QCOMPARE(FileText(m_quarn->ProjectFile("default", "html/ok.html")), std::string("ok"));
        // FTP uploads what the last run wrote.
        ClickButton(dialog, "1007");
        QVERIFY(messages.WaitForCount(2));
        QCOMPARE(messages.shown[1], remote_message::CommandSuccessful());
        QCOMPARE(FileText(m_ftp->RootFile("ok.html")), std::string("ok"));
        // Publish runs the project's default script and uploads.
        ClickButton(dialog, "1006");
        QVERIFY(messages.WaitForCount(3));
        QCOMPARE(messages.shown[2], remote_message::CommandSuccessful());
        QCOMPARE(FileText(m_ftp->RootFile("index.html")), std::string("home"));
    }

    void runPublishAndFtpInAProject() {
        CRecordingRemoteMessages messages;
        SettingsFixture settings;
        QVERIFY(settings.Put({"127.0.0.1", m_quarn->Port(), "bob", "Pw 2", "ok.scp", "shop"}));
        CRemoteDlg dialog(settings.store, messages);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsBusy(), 60000);
        QVERIFY(messages.shown.empty());

        ClickButton(dialog, "1000");
        QVERIFY(messages.WaitForCount(1));
        QCOMPARE(messages.shown[0], remote_message::CommandSuccessful());
        QCOMPARE(FileText(m_quarn->ProjectFile("shop", "html/ok.html")), std::string("shop ok"));
        QVERIFY(!std::filesystem::exists(m_quarn->ProjectFile("default", "html/ok.html")));
        // The lock was given back: another client can take it.
        fixtures::LineClient other;
        QVERIFY(other.Connect(m_quarn->Port()));
        QCOMPARE(other.Line(), std::string("220 Hi from Quarn Pro\r\n"));
        QVERIFY(other.Send("USER admin\r\n") && other.Line().rfind("331 ", 0) == 0);
        QVERIFY(other.Send("PASS s3cret\r\n") && other.Line() == "230 OK\r\n");
        QVERIFY(other.Send("LOCK\r\n"));
        QCOMPARE(other.Line(), std::string("214 OK\r\n"));
        QVERIFY(other.Send("UNLOCK\r\n"));
        QCOMPARE(other.Line(), std::string("214 OK\r\n"));

        ClickButton(dialog, "1007");
        QVERIFY(messages.WaitForCount(2));
        QCOMPARE(messages.shown[1], remote_message::CommandSuccessful());
        QCOMPARE(FileText(m_ftp->RootFile("ok.html")), std::string("shop ok"));
        ClickButton(dialog, "1006");
        QVERIFY(messages.WaitForCount(3));
        QCOMPARE(messages.shown[2], remote_message::CommandSuccessful());
        QCOMPARE(FileText(m_ftp->RootFile("index.html")), std::string("shop"));

        // A project quarn does not have.
        QVERIFY(settings.Put({"127.0.0.1", m_quarn->Port(), "bob", "Pw 2", "ok.scp", "nowhere"}));
        ClickButton(dialog, "1000");
        QVERIFY(messages.WaitForCount(4));
        QCOMPARE(messages.shown[3], remote_message::ProjectError());
    }

    void aFailingScriptShowsQuarnsMessage() {
        CRecordingRemoteMessages messages;
        SettingsFixture settings;
        QVERIFY(settings.Put({"127.0.0.1", m_quarn->Port(), "admin", "s3cret", "bad.scp", ""}));
        CRemoteDlg dialog(settings.store, messages);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsBusy(), 60000);
        ClickButton(dialog, "1000");
        QVERIFY(messages.WaitForCount(1));
        QCOMPARE(messages.shown[0], remote_message::CommandFailed("out of stock"));
        QCOMPARE(QString::fromStdString(messages.shown[0].text),
                 QString("Quarn returned the following error message:\nout of stock"));
    }

    void aJobHeldByAnotherClientMakesQuarnBusy() {
        fixtures::LineClient holder(std::chrono::seconds(60));
        QVERIFY(holder.Connect(m_quarn->Port()));
        QCOMPARE(holder.Line(), std::string("220 Hi from Quarn Pro\r\n"));
        QVERIFY(holder.Send("USER bob\r\n") && holder.Line().rfind("331 ", 0) == 0);
        QVERIFY(holder.Send("PASS Pw 2\r\n") && holder.Line() == "230 OK\r\n");
        QVERIFY(holder.Send("RUN held.scp\r\n"));

        CRecordingRemoteMessages messages;
        SettingsFixture settings;
        QVERIFY(settings.Put({"127.0.0.1", m_quarn->Port(), "admin", "s3cret", "ok.scp", ""}));
        CRemoteDlg dialog(settings.store, messages);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsBusy(), 60000);
        ClickButton(dialog, "1000");
        QVERIFY(messages.WaitForCount(1));
        QCOMPARE(messages.shown[0], remote_message::Busy());
        // With a project, the lock is refused first.
        QVERIFY(settings.Put({"127.0.0.1", m_quarn->Port(), "admin", "s3cret", "ok.scp", "shop"}));
        ClickButton(dialog, "1006");
        QVERIFY(messages.WaitForCount(2));
        QCOMPARE(messages.shown[1], remote_message::Busy());

        QVERIFY(m_quarn->PutFile(m_quarn->ProjectFile("default", "release"), ""));
        QCOMPARE(holder.Line(), std::string("200 OK\r\n"));
        ClickButton(dialog, "1000");
        QVERIFY(messages.WaitForCount(3));
        QCOMPARE(messages.shown[2], remote_message::CommandSuccessful());
    }

    void aFailedLogOnLeavesEveryButtonRefused_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("running");
        QTest::newRow("wrong password") << "wrong" << true;
        QTest::newRow("server not running") << "s3cret" << false;
    }
    void aFailedLogOnLeavesEveryButtonRefused() {
        QFETCH(QString, password);
        QFETCH(bool, running);
        const int port = running ? m_quarn->Port() : fixtures::FreeLoopbackPort();
        CRecordingRemoteMessages messages;
        SettingsFixture settings;
        QVERIFY(settings.Put({"127.0.0.1", port, "admin", password.toStdString(), "", ""}));
        CRemoteDlg dialog(settings.store, messages);
        QVERIFY(messages.WaitForCount(1));
        QCOMPARE(messages.shown[0],
                 running ? remote_message::AccessDenied() : remote_message::ConnectError());
        // Each click waits for the one before it: clicks during an exchange are dropped.
        for (const char* id : {"1000", "1006", "1007"}) {
            ClickButton(dialog, id);
            QVERIFY(messages.WaitForCount(messages.shown.size() + 1));
            QCOMPARE(messages.shown.back(), remote_message::NotLoggedOn());
        }
    }

private:
    std::unique_ptr<fixtures::FtpServer> m_ftp;
    std::unique_ptr<fixtures::QuarnService> m_quarn;
};

QUARN_QT_TEST(UiRemoteEndToEndTest)

#include "remote_end_to_end_test.moc"

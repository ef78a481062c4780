// The settings dialog itself: its fields by control id, the masked password, and OK refusing a
// port that is not a whole number from 1 to 10000 with the dialog left open.

#include "remote/ui/remote_settings_dlg.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

#include "remote/ui/remote_ui_test_support.h"
#include "tests/fixtures/qt_test_registry.h"

class UiRemoteSettingsDlgTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheSettingsAndTakesThemBack() {
        CRecordingRemoteMessages messages;
        CRemoteSettingsDlg dialog(messages);
        const RemoteSettings settings{"quarn.example", 4124, "ann", "a b", "s.scp", "shop"};
        dialog.SetSettings(settings);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.objectName(), QString("130"));
        QCOMPARE(dialog.windowTitle(), QString("Quarn Remote Settings"));
        QStringList groups;
        for (const QGroupBox* group : dialog.findChildren<QGroupBox*>())
            groups << group->title();
        QCOMPARE(groups, (QStringList{"Quarn Server Details", "Logon Details", "Quarn Project"}));
        const std::pair<const char*, const char*> fields[] = {
            {"1001", "quarn.example"}, {"1002", "4124"}, {"1003", "ann"},
            {"1004", "a b"},           {"1008", "shop"}, {"1005", "s.scp"}};
        for (const auto& [id, text] : fields)
            QCOMPARE(dialog.findChild<QLineEdit*>(id)->text(), QString(text));
        QCOMPARE(dialog.findChild<QLineEdit*>("1004")->echoMode(), QLineEdit::Password);
        SaveScreenshot(dialog, "remote_settings");
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Settings(), settings);
        QVERIFY(messages.shown.empty());
    }

    void okRefusesAPortOutsideOneToTenThousand_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("message");
        const QString range = "Please enter an integer between 1 and 10000.";
        QTest::newRow("zero") << "0" << range;
        QTest::newRow("above") << "10001" << range;
        QTest::newRow("negative") << "-124" << range;
        QTest::newRow("not a number") << "12x"
                                      << "Please enter an integer.";
        QTest::newRow("empty") << ""
                               << "Please enter an integer.";
    }
    void okRefusesAPortOutsideOneToTenThousand() {
        QFETCH(QString, port);
        QFETCH(QString, message);
        CRecordingRemoteMessages messages;
        CRemoteSettingsDlg dialog(messages);
        dialog.SetSettings(RemoteSettings{});
        dialog.show();
        dialog.findChild<QLineEdit*>("1002")->setText(port);
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(messages.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(messages.shown[0].text), message);
        QCOMPARE(messages.shown[0].icon, RemoteIcon::kExclamation);
        QVERIFY(!messages.shown[0].defaultCaption);  // "Quarn remote"
        // Corrected, it goes through.
        dialog.findChild<QLineEdit*>("1002")->setText("10000");
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Settings().serverPort, 10000);
    }
};

QUARN_QT_TEST(UiRemoteSettingsDlgTest)

#include "remote_settings_dlg_test.moc"

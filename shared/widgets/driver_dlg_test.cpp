#include "shared/widgets/driver_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "tests/fixtures/qt_test_registry.h"

class DriverDlgTest : public QObject {
    Q_OBJECT
private slots:
    void ListsTheDriversSortedWithTheFirstSelected() {
        CDriverDlg dialog(nullptr, {"SQLite3", "postgreSQL ANSI", "FreeTDS"});
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Select ODBC Driver"));
        QVERIFY(dialog.findChild<QLabel*>()->text() == "Available ODBC drivers");
        auto* list = dialog.findChild<QListWidget*>("1002");
        QVERIFY(list != nullptr);
        QCOMPARE(list->toolTip(), QString("Select the ODBC driver you wish to use"));
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown, QStringList({"FreeTDS", "postgreSQL ANSI", "SQLite3"}));
        QCOMPARE(list->currentRow(), 0);
        fixtures::SaveScreenshot(dialog, "driver_dlg");

        QTest::mouseClick(dialog.findChild<QPushButton*>("1"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Driver(), QString("FreeTDS"));
    }

    void TheWizardsLookNamesItsOwnTextAndList() {
        CDriverDlg dialog(nullptr, {"SQLite3"}, kWizardDriverDialog);
        dialog.show();
        QCOMPARE(dialog.objectName(), QString("147"));
        QCOMPARE(dialog.windowTitle(), QString("Kestrel"));
        QVERIFY(dialog.findChild<QLabel*>()->text().startsWith("Kestrel was unable to determine"));
        QVERIFY(dialog.findChild<QListWidget*>("1003") != nullptr);
        fixtures::SaveScreenshot(dialog, "kestrel_driver_dlg");
        QTest::mouseClick(dialog.findChild<QPushButton*>("1"), Qt::LeftButton);
        QCOMPARE(dialog.Driver(), QString("SQLite3"));
    }

    void DoubleClickChoosesTheDriver() {
        CDriverDlg dialog(nullptr, {"SQLite3", "PostgreSQL"});
        dialog.show();
        auto* list = dialog.findChild<QListWidget*>("1002");
        QListWidgetItem* sqlite = list->item(1);
        const QRect place = list->visualItemRect(sqlite);
        // An item view takes a double-click only on the item its press landed on.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Driver(), QString("SQLite3"));
    }

    void OkWithNothingSelectedIsCancel() {
        CDriverDlg empty(nullptr, {});
        empty.show();
        QTest::mouseClick(empty.findChild<QPushButton*>("1"), Qt::LeftButton);
        QCOMPARE(empty.result(), int(QDialog::Rejected));
        QCOMPARE(empty.Driver(), QString());

        CDriverDlg cleared(nullptr, {"SQLite3"});
        cleared.show();
        cleared.findChild<QListWidget*>("1002")->clearSelection();
        QTest::mouseClick(cleared.findChild<QPushButton*>("1"), Qt::LeftButton);
        QCOMPARE(cleared.result(), int(QDialog::Rejected));

        CDriverDlg cancelled(nullptr, {"SQLite3"});
        cancelled.show();
        QTest::mouseClick(cancelled.findChild<QPushButton*>("2"), Qt::LeftButton);
        QCOMPARE(cancelled.result(), int(QDialog::Rejected));
        QCOMPARE(cancelled.Driver(), QString());
    }
};

QUARN_QT_TEST(DriverDlgTest)
#include "driver_dlg_test.moc"

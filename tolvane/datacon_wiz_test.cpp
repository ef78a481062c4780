#include "tolvane/datacon_wiz.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "shared/odbc_info.h"
#include "tests/fixtures/odbc_env.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/tab_order.h"
#include "tests/fixtures/temp_dir.h"
#include "tolvane/wizard_test_support.h"

namespace {

void Click(CDataconWiz& wizard, QWizard::WizardButton which) {
    QTest::mouseClick(wizard.button(which), Qt::LeftButton);
}

// The buttons the wizard shows, in the order Back, Next, Finish.
QString ShownButtons(CDataconWiz& wizard) {
    QString shown;
    if (wizard.button(QWizard::BackButton)->isVisible()) shown += "Back ";
    if (wizard.button(QWizard::NextButton)->isVisible()) shown += "Next ";
    if (wizard.button(QWizard::FinishButton)->isVisible()) shown += "Finish";
    return shown.trimmed();
}

// Page 131 with `choice` ("1000" file, "1001" DSN) taken and Next pressed.
void ChooseType(CDataconWiz& wizard, const char* choice) {
    QVERIFY(wizard.currentId() == CDataconWiz::kTypePage);
    PageControl<QRadioButton>(wizard, choice)->click();
    Click(wizard, QWizard::NextButton);
}

}  // namespace

class DataconWizTest : public QObject {
    Q_OBJECT
private slots:
    // Tab walks every page in the order its controls stand.
    void TabFollowsThePlacesOnEveryPage() {
        FakeCatalog catalog;
        catalog.sources = {"shop"};
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        const QStringList problems = fixtures::TabOrderProblemsOnEveryPage(wizard);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }

    void TypePageAsksForAChoiceFirst() {
        FakeCatalog catalog;
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        QCOMPARE(wizard.windowTitle(), QString("Choose Data Connection Type"));
        QCOMPARE(ShownButtons(wizard), QString("Next"));
        auto* file = PageControl<QRadioButton>(wizard, "1000");
        auto* dsn = PageControl<QRadioButton>(wizard, "1001");
        QCOMPARE(file->text(), QString("Database/spreadsheet file"));
        QCOMPARE(dsn->text(), QString("ODBC DSN"));
        QCOMPARE(file->toolTip(), QString("Extract data from a database file"));
        QCOMPARE(dsn->toolTip(), QString("Extract data from an ODBC DSN"));
        QVERIFY(!file->isChecked() && !dsn->isChecked());
        SaveScreenshot(wizard, "datacon_wiz_131");

        Click(wizard, QWizard::NextButton);
        QCOMPARE(prompts.messages, QStringList{"You must select a data type"});
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kTypePage));
    }

    void DsnPageBuildsTheStringFromTheChosenSource() {
        FakeCatalog catalog;
        catalog.sources = {"shop", "Accounts", "billing"};
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1001");
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kDsnPage));
        QCOMPARE(wizard.windowTitle(), QString("Select ODBC DSN"));
        QCOMPARE(ShownButtons(wizard), QString("Back Finish"));
        auto* list = PageControl<QListWidget>(wizard, "1002");
        QCOMPARE(list->toolTip(), QString("Select the ODBC DSN you wish to work with"));
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QString("Accounts"));
        QCOMPARE(list->item(1)->text(), QString("billing"));
        QCOMPARE(list->item(2)->text(), QString("shop"));
        QCOMPARE(list->currentRow(), 0);
        auto* user = PageControl<QLineEdit>(wizard, "1003");
        auto* password = PageControl<QLineEdit>(wizard, "1004");
        QCOMPARE(user->toolTip(), QString("Enter database user name (if any)"));
        QCOMPARE(password->toolTip(), QString("Enter database password (if any)"));
        QTest::keyClicks(user, "ann");
        QTest::keyClicks(password, "p;w");
        SaveScreenshot(wizard, "datacon_wiz_132");

        Click(wizard, QWizard::FinishButton);
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(wizard.ConnectionString()),
                 QString("DSN=Accounts;UID=ann;PWD={p;w}"));
        QVERIFY(prompts.messages.isEmpty());
    }

    void DsnPageFinishesOnADoubleClick() {
        FakeCatalog catalog;
        catalog.sources = {"shop", "Accounts"};
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1001");
        auto* list = PageControl<QListWidget>(wizard, "1002");
        PageControl<QLineEdit>(wizard, "1004")->setText("pw");
        const QRect place = list->visualItemRect(list->item(1));
        // An item view takes a double-click only on the item its press landed on.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(wizard.ConnectionString()), QString("DSN=shop;PWD=pw"));
    }

    void DsnPageStaysWithoutASource() {
        FakeCatalog catalog;
        catalog.failSources = true;
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1001");
        QCOMPARE(prompts.messages, QStringList{"ODBC ERROR: no sources"});
        QCOMPARE(PageControl<QListWidget>(wizard, "1002")->count(), 0);

        Click(wizard, QWizard::FinishButton);
        QCOMPARE(prompts.messages.last(), QString("You must select a ODBC DSN."));
        QVERIFY(wizard.isVisible());
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kDsnPage));
        QVERIFY(wizard.ConnectionString().empty());
    }

    void FilePageBuildsTheStringFromTheBrowsedFile() {
        FakeCatalog catalog;
        catalog.drivers = {"SQLite3", "Microsoft Access Driver (*.mdb)"};
        RecordingPrompts prompts;
        prompts.files = {"/home/ann/data/shop.mdb"};
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1000");
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kFilePage));
        QCOMPARE(wizard.windowTitle(), QString("Select Database File"));
        QCOMPARE(ShownButtons(wizard), QString("Back Finish"));
        const std::pair<const char*, const char*> tips[] = {
            {"1003", "Path to your database or spreadsheet file"},
            {"1004", "Database user name (if any)"},
            {"1005", "Database password (if any)"},
            {"1006", "Browse for file"},
            {"1007", "Check to select ODBC driver from a list"},
        };
        for (const auto& [id, tip] : tips) {
            QCOMPARE(wizard.currentPage()->findChild<QWidget*>(id)->toolTip(), QString(tip));
        }
        QCOMPARE(PageControl<QCheckBox>(wizard, "1007")->text(),
                 QString("Select ODBC driver manually"));
        QCOMPARE(PageControl<QPushButton>(wizard, "1006")->text(), QString("..."));

        QTest::mouseClick(PageControl<QPushButton>(wizard, "1006"), Qt::LeftButton);
        QCOMPARE(prompts.filters,
                 QStringList{
                     "Microsoft data files (*.xls *.mdb *.db *.dbf *.dbc *.txt);;All Files (*)"});
        QCOMPARE(PageControl<QLineEdit>(wizard, "1003")->text(),
                 QString("/home/ann/data/shop.mdb"));
        // Cancel in the file dialog leaves the path.
        QTest::mouseClick(PageControl<QPushButton>(wizard, "1006"), Qt::LeftButton);
        QCOMPARE(PageControl<QLineEdit>(wizard, "1003")->text(),
                 QString("/home/ann/data/shop.mdb"));
        PageControl<QLineEdit>(wizard, "1004")->setText("ann");
        SaveScreenshot(wizard, "datacon_wiz_133");

        Click(wizard, QWizard::FinishButton);
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QVERIFY(prompts.driverLists.empty());
        QCOMPARE(QString::fromStdString(wizard.ConnectionString()),
                 QString("Driver={Microsoft Access Driver (*.mdb)};DBQ=/home/ann/data/shop.mdb;"
                         "UID=ann"));
    }

    void FilePageNeedsAPath() {
        FakeCatalog catalog;
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1000");
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(prompts.messages, QStringList{"You must enter the path to the database file."});
        QVERIFY(wizard.isVisible());
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kFilePage));
    }

    // A file whose extension names no driver, or any file with 1007 checked, goes through the
    // driver dialog; Cancel there, or a failed driver listing, keeps the wizard on the page.
    void FilePageAsksForTheDriver() {
        FakeCatalog catalog;
        catalog.drivers = {"SQLite3", "PostgreSQL"};
        catalog.failDrivers = true;
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1000");
        PageControl<QLineEdit>(wizard, "1003")->setText("/data/PARTS.DBF");
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(prompts.messages, QStringList{"ODBC ERROR: no drivers"});
        QVERIFY(prompts.driverLists.empty());
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kFilePage));

        catalog.failDrivers = false;
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(prompts.driverLists.size(), size_t(1));
        QCOMPARE(prompts.driverLists[0], QStringList({"SQLite3", "PostgreSQL"}));
        QVERIFY(wizard.isVisible());
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kFilePage));

        prompts.driverAnswers = {"Microsoft Visual FoxPro Driver"};
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(wizard.ConnectionString()),
                 QString("Driver={Microsoft Visual FoxPro Driver};SourceType=DBF;SourceDB=/data"));
    }

    void ManualDriverReplacesTheExtensionsWithTheRealDriverList() {
        QVERIFY(fixtures::OdbcEnvironment::Install().Ok());
        COdbcInfo catalog;
        RecordingPrompts prompts;
        prompts.driverAnswers = {"SQLite3"};
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1000");
        PageControl<QLineEdit>(wizard, "1003")->setText("C:\\data\\orders.csv");
        PageControl<QCheckBox>(wizard, "1007")->setChecked(true);
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(prompts.driverLists.size(), size_t(1));
        QCOMPARE(prompts.driverLists[0], QStringList({"SQLite3", "PostgreSQL"}));
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(wizard.ConnectionString()),
                 QString("Driver={SQLite3};Database=C:\\data\\orders.csv"));
    }

    // With the real drivers: a SQLite file named ".db" connects through SQLite3 without the
    // driver dialog; another ".db" file, whose Paradox driver is not installed, asks for one.
    void ASqliteFileConnectsThroughTheInstalledDriver() {
        QVERIFY(fixtures::OdbcEnvironment::Install().Ok());
        fixtures::SqliteDatabase made("CREATE TABLE parts (id INTEGER);");
        QVERIFY2(made.Ok(), made.Error().c_str());
        fixtures::TempDir dir("datacon_sqlite");
        const std::string shop = dir.File("shop.db");
        std::filesystem::copy_file(made.Path(), shop);
        std::string error;
        QVERIFY(fixtures::WriteTextFile(dir.File("notes.db"), "not a database", &error));
        COdbcInfo catalog;
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1000");
        PageControl<QLineEdit>(wizard, "1003")
            ->setText(QString::fromStdString(dir.File("notes.db")));
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(prompts.driverLists.size(), size_t(1));
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kFilePage));

        PageControl<QLineEdit>(wizard, "1003")->setText(QString::fromStdString(shop));
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(prompts.driverLists.size(), size_t(1));
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(wizard.ConnectionString(), "Driver={SQLite3};Database=" + shop);
        COdbcInfo tables(COdbcInfo::Strings::kPlain);
        QVERIFY2(tables.ListTables(wizard.ConnectionString()), tables.Message().c_str());
        QCOMPARE(tables.Names(), std::vector<std::string>{"parts"});
    }

    void BackFromTheFilePageReturnsToTheTypePage() {
        FakeCatalog catalog;
        catalog.sources = {"shop"};
        RecordingPrompts prompts;
        CDataconWiz wizard(nullptr, catalog, prompts);
        wizard.show();
        ChooseType(wizard, "1000");
        Click(wizard, QWizard::BackButton);
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kTypePage));
        QCOMPARE(wizard.windowTitle(), QString("Choose Data Connection Type"));
        ChooseType(wizard, "1001");
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kDsnPage));
        Click(wizard, QWizard::BackButton);
        QCOMPARE(wizard.currentId(), int(CDataconWiz::kTypePage));
        // Coming forward again lists the sources afresh.
        catalog.sources = {"other"};
        ChooseType(wizard, "1001");
        QCOMPARE(PageControl<QListWidget>(wizard, "1002")->item(0)->text(), QString("other"));
    }

    // The entry point runs the wizard modally: the string after Finish, nothing after Cancel.
    void RunConnectionWizardGivesTheStringUnlessCancelled() {
        FakeCatalog catalog;
        catalog.sources = {"shop"};
        RecordingPrompts prompts;
        QTimer::singleShot(0, [] {
            auto* wizard = qobject_cast<CDataconWiz*>(QApplication::activeModalWidget());
            QVERIFY(wizard != nullptr);
            ChooseType(*wizard, "1001");
            Click(*wizard, QWizard::FinishButton);
        });
        QCOMPARE(RunConnectionWizard(nullptr, catalog, prompts),
                 std::optional<std::string>("DSN=shop"));

        QTimer::singleShot(0, [] {
            auto* wizard = qobject_cast<CDataconWiz*>(QApplication::activeModalWidget());
            QVERIFY(wizard != nullptr);
            ChooseType(*wizard, "1001");
            Click(*wizard, QWizard::CancelButton);
        });
        QCOMPARE(RunConnectionWizard(nullptr, catalog, prompts), std::nullopt);
    }
};

QUARN_QT_TEST(DataconWizTest)
#include "datacon_wiz_test.moc"

#include "kestrel/kestrel_sheet.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "kestrel/kestrel_app.h"
#include "kestrel/kestrel_finish.h"
#include "kestrel/page_flow.h"
#include "shared/launcher_fakes.h"
#include "shared/odbc_info.h"
#include "shared/widgets/wizard_fakes.h"
#include "tests/fixtures/odbc_env.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/tab_order.h"
#include "tests/fixtures/temp_dir.h"

namespace {

// A sheet over a catalog of one data source, two tables and three fields.
struct Wizard {
    CKestrelApp app;
    FakeCatalog catalog;
    RecordingPrompts prompts;
    CKestrelSheet sheet{app, prompts, [this] { return std::make_unique<FakeCatalog>(catalog); }};

    Wizard() {
        catalog.sources = {"shop"};
        for (const char* connection : {"DSN=shop", "DSN=shop;UID=bob"})
            catalog.tables[connection] = {"Order Lines", "Kinds"};
        for (const char* table : {"[Order Lines]", "Kinds"})
            catalog.columns[std::string("SELECT * FROM ") + table] = {
                {"A", "T"}, {"B", "T"}, {"C", "I"}};
        sheet.show();
    }
    template <typename T>
    T* Control(const char* id) {
        T* control = sheet.currentPage()->findChild<T*>(id);
        if (control == nullptr) qFatal("no control %s on page %d", id, sheet.currentId());
        return control;
    }
    void Click(const char* id) { Control<QAbstractButton>(id)->click(); }
    // Starts the sheet afresh at `page`, as if the pages before it had stored the answers.
    void Open(int page) {
        sheet.setStartId(page);
        sheet.restart();
    }
    void Next() { sheet.next(); }
    void Shot() {
        fixtures::SaveScreenshot(sheet, "kestrel_" + QString::number(sheet.currentId()));
    }
    // Takes the page's first list entry and goes on.
    void Choose(const char* list = "1002") {
        Control<QListWidget>(list)->setCurrentRow(0);
        Next();
    }
};

const QString kNoDsn(
    "You must select an ODBC DSN. If none are displayed, you will need to define one. See Quarn "
    "help for more information on setting up ODBC.");
const QString kNoTable(
    "You must select a datasource table. If none are displayed, there may be a problem with "
    "your chosen datasource.");
const QString kNoField(
    "You must select a datasource field. If none are displayed, there may be a problem with "
    "your chosen datasource.");

}  // namespace

class UiKestrelSheetTest : public QObject {
    Q_OBJECT
private slots:
    // Tab walks every page in the order its controls stand.
    void TabFollowsThePlacesOnEveryPage() {
        Wizard w;
        const QStringList problems = fixtures::TabOrderProblemsOnEveryPage(w.sheet);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }

    // The pages say "Click Help": every page shows the Help button, disabled.
    void EveryPageShowsADisabledHelpButton() {
        Wizard w;
        for (int step = 0; step < 3; ++step) {
            QAbstractButton* help = w.sheet.button(QWizard::HelpButton);
            QVERIFY(help->isVisible());
            QVERIFY(!help->isEnabled());
            QCOMPARE(help->text(), QString("&Help"));
            if (step == 0) w.Shot();
            w.Next();
        }
    }

    // The real drivers: a SQLite file connects through SQLite3 whatever its extension, and its
    // tables are listed.
    void ASqliteFileConnectsThroughTheInstalledDriver() {
        fixtures::SqliteDatabase made("CREATE TABLE parts (id INTEGER);");
        QVERIFY2(made.Ok(), made.Error().c_str());
        QVERIFY(fixtures::OdbcEnvironment::Install().Ok());
        fixtures::TempDir dir("kestrel_sqlite");
        for (const char* name : {"shop.db", "shop"}) {
            const std::string path = dir.File(name);
            std::filesystem::copy_file(made.Path(), path);
            CKestrelApp app;
            app.m_nScriptType = 1;
            RecordingPrompts prompts;
            CKestrelSheet sheet{app, prompts, [] {
                                    return std::make_unique<COdbcInfo>(COdbcInfo::Strings::kPlain);
                                }};
            sheet.setStartId(kestrel_page::kSourceFile);
            sheet.restart();
            sheet.show();
            sheet.currentPage()->findChild<QLineEdit*>("1000")->setText(
                QString::fromStdString(path));
            sheet.next();
            QVERIFY(prompts.driverLists.empty());
            QCOMPARE(app.m_strConnect, "Driver={SQLite3};Database=" + path);
            QCOMPARE(sheet.currentId(), kestrel_page::kTable);
            QCOMPARE(prompts.messages, QStringList());
            auto* tables = sheet.currentPage()->findChild<QListWidget*>("1002");
            QCOMPARE(tables->count(), 1);
            QCOMPARE(tables->item(0)->text(), QString("parts"));
        }
    }

    // The real catalog: a table whose name holds a quote lists its columns.
    void ATableNamedWithAQuoteListsItsColumns() {
        fixtures::SqliteDatabase db("CREATE TABLE \"we\"\"ird\" (\"a b\" TEXT, \"n#1\" INTEGER);");
        QVERIFY2(db.Ok(), db.Error().c_str());
        CKestrelApp app;
        app.m_strConnect = db.ConnectionString();
        app.m_nScriptType = 1;
        RecordingPrompts prompts;
        CKestrelSheet sheet{app, prompts,
                            [] { return std::make_unique<COdbcInfo>(COdbcInfo::Strings::kPlain); }};
        sheet.setStartId(kestrel_page::kTable);
        sheet.restart();
        sheet.show();
        auto* tables = sheet.currentPage()->findChild<QListWidget*>("1002");
        QCOMPARE(tables->count(), 1);
        QCOMPARE(tables->item(0)->text(), QString("we\"ird"));
        tables->setCurrentRow(0);
        sheet.next();
        QCOMPARE(app.m_strTable, std::string("[we\"ird]"));
        QCOMPARE(sheet.currentId(), kestrel_page::kFields);
        auto* fields = sheet.currentPage()->findChild<QListWidget*>("1002");
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(fields->count(), 2);
        QCOMPARE(fields->item(0)->text(), QString("a b"));
        QCOMPARE(fields->item(1)->text(), QString("n#1"));
    }

    void ASinglePageSiteFromADataSource() {
        Wizard w;
        QCOMPARE(w.sheet.currentId(), 129);
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.windowTitle(), QString("Choose script type"));
        w.Next();
        QCOMPARE(w.prompts.messages, QStringList{"Please select a script type."});
        w.Click("1012");
        QCOMPARE(w.app.m_nScriptType, 1);
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 130);
        QCOMPARE(w.Control<QLineEdit>("1000")->text(), QString("Script1.scp"));
        w.Control<QLineEdit>("1000")->clear();
        w.Next();
        QCOMPARE(w.prompts.messages.last(), QString("You must give the script file a name."));
        w.Control<QLineEdit>("1000")->setText("site.scp");
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 131);
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 145);
        w.Next();
        QCOMPARE(w.prompts.messages.last(), QString("Please select a datasource type."));
        w.Click("1012");
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 132);
        w.Control<QLineEdit>("1000")->setText("bob");
        w.Shot();
        w.Choose();
        QCOMPARE(w.app.m_strConnect, std::string("DSN=shop;UID=bob"));
        QCOMPARE(w.sheet.currentId(), 133);
        // Sorted, the first one selected; a name with a blank is stored in brackets.
        QCOMPARE(w.Control<QListWidget>("1002")->item(0)->text(), QString("Kinds"));
        w.Control<QListWidget>("1002")->setCurrentRow(1);
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_strTable, std::string("[Order Lines]"));
        QCOMPARE(w.sheet.currentId(), 134);

        // Fields moved A, B, C are stored C, B, A; none chosen is refused.
        w.Next();
        QCOMPARE(w.prompts.messages.last(),
                 QString("You must include at least one table field. If none are displayed, "
                         "there may be a problem with your chosen datasource."));
        for (int i = 0; i < 3; ++i)
            w.Click("1004");
        QCOMPARE(w.Control<QListWidget>("1002")->count(), 0);
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_arrFields, (std::vector<std::string>{"C", "B", "A"}));
        QCOMPARE(w.sheet.currentId(), 135);
        QVERIFY(!w.Control<QCheckBox>("1019")->isEnabled());
        w.Click("1009");
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_bFormatTable, 1);
        QCOMPARE(w.sheet.currentId(), 136);
        QVERIFY(w.Control<QCheckBox>("1019")->isChecked());
        QVERIFY(w.sheet.button(QWizard::FinishButton)->isVisible());
        w.Shot();
        w.sheet.button(QWizard::FinishButton)->click();
        QCOMPARE(w.sheet.result(), int(QDialog::Accepted));
        QCOMPARE(w.app.m_bOpenOnExit, 1);
    }

    // Each page refuses Next with its message while its answer is missing, keeps itself and
    // leaves its answer as it was. A catalog that fails shows why first, then the list is empty.
    void EveryPageRefusesAMissingAnswer() {
        enum Spoil { kAsListed, kClearEdit, kDeselect, kFileOfNoKnownKind };
        const struct {
            int page;
            void (*setup)(Wizard&);
            Spoil spoil;
            std::string CKestrelApp::*answer;
            QStringList messages;
        } cases[] = {
            {131,
             [](Wizard&) {},
             kClearEdit,
             &CKestrelApp::m_strHtmlFile,
             {"You must give the top-level HTML file a name."}},
            {132,
             [](Wizard& w) { w.catalog.failSources = true; },
             kAsListed,
             &CKestrelApp::m_strConnect,
             {"ODBC ERROR: no sources", kNoDsn}},
            {132, [](Wizard&) {}, kDeselect, &CKestrelApp::m_strConnect, {kNoDsn}},
            {133,
             [](Wizard& w) { w.app.m_strConnect = "DSN=gone"; },
             kAsListed,
             &CKestrelApp::m_strTable,
             {"ODBC ERROR: no tables", kNoTable}},
            {133, [](Wizard&) {}, kDeselect, &CKestrelApp::m_strTable, {kNoTable}},
            {139, [](Wizard&) {}, kDeselect, &CKestrelApp::m_strCategoryTable, {kNoTable}},
            {157,
             [](Wizard& w) { w.app.m_strConnect = "DSN=gone"; },
             kAsListed,
             &CKestrelApp::m_strTable,
             {"ODBC ERROR: no tables", kNoTable}},
            {157, [](Wizard&) {}, kDeselect, &CKestrelApp::m_strTable, {kNoTable}},
            {140,
             [](Wizard& w) { w.app.m_strCategoryTable = "Gone"; },
             kAsListed,
             &CKestrelApp::m_strCategoryLinkField,
             {"ODBC ERROR: no columns", kNoField}},
            {140, [](Wizard&) {}, kDeselect, &CKestrelApp::m_strCategoryLinkField, {kNoField}},
            {141, [](Wizard&) {}, kDeselect, &CKestrelApp::m_strCategoryKey, {kNoField}},
            {142,
             [](Wizard& w) { w.app.m_strTable = "Gone"; },
             kAsListed,
             &CKestrelApp::m_strTableKey,
             {"ODBC ERROR: no columns", kNoField}},
            {142,
             [](Wizard& w) { w.app.m_strTable = "[Order Lines]"; },
             kDeselect,
             &CKestrelApp::m_strTableKey,
             {kNoField}},
            {138,
             [](Wizard& w) { w.app.m_strTable = "[Order Lines]"; },
             kDeselect,
             &CKestrelApp::m_strLinkField,
             {kNoField}},
            {146,
             [](Wizard&) {},
             kClearEdit,
             &CKestrelApp::m_strConnect,
             {"You cannot continue without selecting a file."}},
            // Cancel in the driver dialog stays without a message.
            {146,
             [](Wizard& w) { w.catalog.drivers = {"SQLite3"}; },
             kFileOfNoKnownKind,
             &CKestrelApp::m_strConnect,
             {}},
            {146,
             [](Wizard& w) { w.catalog.failDrivers = true; },
             kFileOfNoKnownKind,
             &CKestrelApp::m_strConnect,
             {"ODBC ERROR: no drivers"}},
            {152,
             [](Wizard& w) { w.app.m_arrFields = {}; },
             kAsListed,
             &CKestrelApp::m_strCsvKey,
             {kNoField}},
            {152,
             [](Wizard& w) {
                 w.app.m_arrFields = {"B", "A"};
             },
             kDeselect,
             &CKestrelApp::m_strCsvKey,
             {kNoField}},
        };
        for (const auto& c : cases) {
            Wizard w;
            w.app.m_nScriptType = 4;
            w.app.m_nSourceType = 1;
            w.app.m_strConnect = "DSN=shop";
            w.app.m_strTable = "Kinds";
            w.app.m_strCategoryTable = "Kinds";
            c.setup(w);
            const std::string before = w.app.*c.answer;
            w.Open(c.page);
            switch (c.spoil) {
                case kAsListed:
                    break;
                case kClearEdit:
                    w.Control<QLineEdit>("1000")->clear();
                    break;
                case kDeselect:
                    QVERIFY(w.Control<QListWidget>("1002")->count() > 0);
                    w.Control<QListWidget>("1002")->clearSelection();
                    break;
                case kFileOfNoKnownKind:
                    w.Control<QLineEdit>("1000")->setText("/data/shop.sqlite");
                    break;
            }
            w.Next();
            const QString where = QString("page %1, spoil %2").arg(c.page).arg(int(c.spoil));
            QVERIFY2(w.sheet.currentId() == c.page, qPrintable(where));
            QVERIFY2(w.prompts.messages == c.messages,
                     qPrintable(where + ": " + w.prompts.messages.join(" / ")));
            QVERIFY2(w.app.*c.answer == before, qPrintable(where));
        }
    }

    // The longest path: an advanced relational site from a database file whose driver the
    // user picks.
    void AnAdvancedRelationalSiteFromADatabaseFile() {
        Wizard w;
        const std::string connection = "Driver={SQLite3};Database=/data/shop.sqlite;UID=bob";
        w.catalog.drivers = {"SQLite3", "PostgreSQL Unicode"};
        w.catalog.tables[connection] = {"Order Lines", "Kinds"};
        w.prompts.files = {"/data/shop.sqlite"};
        w.prompts.driverAnswers = {"SQLite3"};
        w.Next();
        w.Click("1015");
        w.Next();
        w.Next();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 145);
        w.Click("1013");
        w.Next();
        QCOMPARE(w.sheet.currentId(), 146);
        w.Click("1004");
        QCOMPARE(w.prompts.filters,
                 QStringList{"Microsoft data files (*.xls *.mdb *.db *.dbf *.dbc *.txt);;All "
                             "Files (*)"});
        QCOMPARE(w.Control<QLineEdit>("1000")->text(), QString("/data/shop.sqlite"));
        QCOMPARE(w.Control<QLineEdit>("1018")->echoMode(), QLineEdit::Password);
        w.Control<QLineEdit>("1017")->setText("bob");
        w.Shot();
        w.Next();
        QCOMPARE(w.prompts.driverLists.size(), std::size_t(1));
        QCOMPARE(w.prompts.driverLists[0], (QStringList{"PostgreSQL Unicode", "SQLite3"}));
        QCOMPARE(w.app.m_strConnect, connection);

        QCOMPARE(w.sheet.currentId(), 139);
        w.Shot();
        w.Choose();  // Kinds
        QCOMPARE(w.app.m_strCategoryTable, std::string("Kinds"));
        QCOMPARE(w.sheet.currentId(), 140);
        w.Control<QListWidget>("1002")->setCurrentRow(1);
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_strCategoryLinkField, std::string("B"));
        // A numeric key column makes the key numeric.
        QCOMPARE(w.sheet.currentId(), 141);
        w.Control<QListWidget>("1002")->setCurrentRow(2);
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_strCategoryKey, std::string("C"));
        QCOMPARE(w.app.m_bNumericKey, 1);
        QCOMPARE(w.sheet.currentId(), 133);
        w.Control<QListWidget>("1002")->setCurrentRow(1);
        w.Next();
        QCOMPARE(w.app.m_strTable, std::string("[Order Lines]"));
        QCOMPARE(w.sheet.currentId(), 142);
        w.Shot();
        w.Choose();
        QCOMPARE(w.app.m_strTableKey, std::string("A"));
        QCOMPARE(w.sheet.currentId(), 138);
        w.Shot();
        w.Choose();
        QCOMPARE(w.app.m_strLinkField, std::string("A"));
        QCOMPARE(w.sheet.currentId(), 150);
        QVERIFY(!w.Control<QCheckBox>("1019")->isChecked());
        QVERIFY(!w.Control<QCheckBox>("1009")->isChecked());
        w.Click("1009");
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_bCategoryNavLinks, 0);
        QCOMPARE(w.app.m_bCategoryBackLink, 1);
        QCOMPARE(w.sheet.currentId(), 134);
        w.Click("1004");
        w.Next();
        QCOMPARE(w.sheet.currentId(), 135);
        QVERIFY(w.Control<QCheckBox>("1019")->isEnabled());
        QVERIFY(w.Control<QCheckBox>("1020")->isEnabled());
        w.Next();
        QCOMPARE(w.sheet.currentId(), 136);
        // Back from the finish page goes the way it came.
        w.sheet.back();
        QCOMPARE(w.sheet.currentId(), 135);
        QVERIFY(!w.sheet.button(QWizard::FinishButton)->isVisible());
        QVERIFY(w.sheet.button(QWizard::NextButton)->isVisible());
    }

    // Going back and coming forward again shows every answer as it was given.
    void BackAndNextKeepTheAnswers() {
        Wizard w;
        w.Next();
        w.Click("1013");
        w.Next();
        w.Control<QLineEdit>("1000")->setText("shop.scp");
        w.Next();
        w.Control<QLineEdit>("1000")->setText("top.html");
        w.Next();
        w.Click("1013");
        w.Next();
        w.Control<QLineEdit>("1000")->setText("/data/shop.mdb");
        QCOMPARE(w.sheet.currentId(), 146);
        for (int page : {145, 131, 130, 137}) {
            w.sheet.back();
            QCOMPARE(w.sheet.currentId(), page);
        }
        QVERIFY(w.Control<QRadioButton>("1013")->isChecked());
        QCOMPARE(w.app.m_nScriptType, 2);
        QCOMPARE(w.app.m_strScriptFile, std::string("shop.scp"));
        QCOMPARE(w.app.m_strHtmlFile, std::string("top.html"));
        w.Next();
        QCOMPARE(w.Control<QLineEdit>("1000")->text(), QString("shop.scp"));
        w.Next();
        QCOMPARE(w.Control<QLineEdit>("1000")->text(), QString("top.html"));
        w.Next();
        QVERIFY(w.Control<QRadioButton>("1013")->isChecked());
        QCOMPARE(w.app.m_nSourceType, 2);
        w.Next();
        QCOMPARE(w.sheet.currentId(), 146);
        QCOMPARE(w.Control<QLineEdit>("1000")->text(), QString("/data/shop.mdb"));
    }

    void BackFromTheFieldChooserForgetsItsChoice() {
        Wizard w;
        w.app.m_nScriptType = 1;
        w.app.m_nSourceType = 1;
        w.app.m_strTable = "Kinds";
        for (int page : {137, 130, 131, 145, 132, 133}) {
            QCOMPARE(w.sheet.currentId() == 129 ? 137 : w.sheet.nextId(), page);
            w.Next();
        }
        w.Choose();
        QCOMPARE(w.sheet.currentId(), 134);
        w.Click("1004");
        QCOMPARE(w.Control<QListWidget>("1003")->count(), 1);
        // The table page entered again by Back lists the tables afresh, the first selected.
        w.catalog.tables["DSN=shop"].push_back("Archive");
        w.sheet.back();
        QCOMPARE(w.sheet.currentId(), 133);
        QCOMPARE(w.Control<QListWidget>("1002")->count(), 3);
        QCOMPARE(w.Control<QListWidget>("1002")->currentItem()->text(), QString("Archive"));
        QVERIFY(w.Control<QListWidget>("1002")->currentItem()->isSelected());
        w.Control<QListWidget>("1002")->setCurrentRow(1);
        w.Next();
        QCOMPARE(w.Control<QListWidget>("1003")->count(), 0);
        QCOMPARE(w.Control<QListWidget>("1002")->count(), 3);
    }

    void CsvDetailsChooseWhetherTheKeyIsAsked() {
        Wizard w;
        w.app.m_nScriptType = 5;
        w.app.m_nSourceType = 1;
        for (int i = 0; i < 5; ++i)  // 137, 130, 145, 132, 133
            w.Next();
        QCOMPARE(w.sheet.currentId(), 133);
        w.Choose();
        w.Click("1004");
        w.Next();
        QCOMPARE(w.sheet.currentId(), 151);
        QVERIFY(w.Control<QCheckBox>("1009")->isEnabled());
        w.Click("1019");  // multi-file off
        QVERIFY(!w.Control<QCheckBox>("1009")->isEnabled());
        QVERIFY(!w.Control<QCheckBox>("1020")->isEnabled());
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 136);
        w.sheet.back();
        QCOMPARE(w.sheet.currentId(), 151);
        w.Click("1019");  // multi-file on: the key is asked
        w.Next();
        QCOMPARE(w.sheet.currentId(), 152);
        w.Shot();
        w.Choose();
        QCOMPARE(w.app.m_strCsvKey, std::string("A"));
        QCOMPARE(w.sheet.currentId(), 136);
    }

    void WebFormPagesStoreTheirAnswersEitherWay() {
        Wizard w;
        w.Next();
        w.Click("1022");
        w.Next();
        QCOMPARE(w.sheet.currentId(), 156);
        w.Control<QLineEdit>("1000")->clear();  // an empty name is accepted
        w.Shot();
        w.Next();
        QCOMPARE(w.app.m_strProject, std::string());
        w.Click("1012");
        w.Next();
        w.Choose();
        QCOMPARE(w.sheet.currentId(), 157);
        w.Shot();
        w.Choose();
        w.Click("1004");
        w.Next();
        QCOMPARE(w.sheet.currentId(), 158);
        QCOMPARE(w.Control<QLineEdit>("1000")->text(), QString("/cgi-bin"));
        w.Shot();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 159);
        w.Control<QLineEdit>("1000")->setText("forms@example.org");
        w.Shot();
        w.sheet.back();
        QCOMPARE(w.app.m_strEmail, std::string("forms@example.org"));
        w.Next();
        w.Next();
        QCOMPARE(w.sheet.currentId(), 160);
        w.Shot();
    }

    void FinishWritesTheScriptAndOpensItInTheEditor() {
        fixtures::TempDir dir("kestrel_finish");
        CKestrelApp app;
        app.m_strDirectory = dir.Path();
        app.m_nScriptType = 1;
        app.m_strConnect = "DSN=shop";
        app.m_strTable = "Products";
        app.m_arrFields = {"Cost#1"};
        app.m_bOpenOnExit = 1;
        RecordingPrompts prompts;
        CRecordingLauncher launcher;
        QCOMPARE(FinishKestrel(app, prompts, launcher, "/nonexistent", "tolvane"), 1);
        const std::string script = fixtures::ReadTextFile(dir.File("Script1.scp")).value_or("");
        QVERIFY(script.find("\t\t?Cost\\#1?\r\n") != std::string::npos);
        QCOMPARE(launcher.launched.size(), std::size_t(1));
        QCOMPARE(launcher.launched[0].program, std::string("tolvane"));
        QVERIFY(prompts.messages.isEmpty());
    }

    void AnUnwritableDirectoryIsReportedAndStartsNothing() {
        fixtures::TempDir dir("kestrel_unwritable");
        CKestrelApp app;
        app.m_strDirectory = dir.File("missing");
        app.m_nScriptType = 5;
        app.m_bOpenOnExit = 1;
        RecordingPrompts prompts;
        CRecordingLauncher launcher;
        QCOMPARE(FinishKestrel(app, prompts, launcher, "/nonexistent", "tolvane"), 0);
        QCOMPARE(prompts.messages, QStringList{"Unable to write file Script1.scp."});
        QVERIFY(launcher.launched.empty());
    }
};

QUARN_QT_TEST(UiKestrelSheetTest)
#include "kestrel_sheet_test.moc"

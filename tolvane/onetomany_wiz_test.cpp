#include "tolvane/onetomany_wiz.h"

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QTimer>

#include "shared/odbc_info.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/tab_order.h"
#include "tolvane/wizard_test_support.h"

namespace {

constexpr char kConnection[] = "&datasource(\"DSN=shop\")";
constexpr char kKinds[] = "&getdata(\"SELECT * FROM Kinds WHERE KindId=1\")";
constexpr char kNotes[] = "&sql(\"SELECT * FROM Notes where Tag='a'\")";

// A shop with two "one" recordsets and three tables, one named with a blank.
FakeCatalog Shop() {
    FakeCatalog catalog;
    catalog.tables["DSN=shop"] = {"Kinds", "Order Lines", "Notes"};
    catalog.columns["SELECT * FROM Kinds "] = {{"KindId", "I"}, {"Kind Name", "T"}};
    catalog.columns["SELECT * FROM Notes "] = {{"Tag", "T"}, {"Text", "T"}};
    catalog.columns["SELECT * FROM [Order Lines]"] = {{"Name", "T"}, {"Kind Id", "I"}};
    catalog.columns["SELECT * FROM Notes"] = {{"Tag", "T"}, {"Text", "T"}};
    return catalog;
}

const StatementCollector kShopScript =
    CollectorOf({{"&datasource", {kConnection}}, {"&getdata", {kKinds}}, {"&sql", {kNotes}}});

}  // namespace

class OneToManyWizTest : public QObject {
    Q_OBJECT
private slots:
    // Tab walks every page in the order its controls stand.
    void TabFollowsThePlacesOnEveryPage() {
        FakeCatalog catalog = Shop();
        RecordingPrompts prompts;
        DataMemory remembered;
        COne2manyrsWiz wizard(nullptr, ContextOf(kShopScript), {remembered, catalog, prompts});
        wizard.show();
        const QStringList problems = fixtures::TabOrderProblemsOnEveryPage(wizard);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }

    void PagesListTheScriptAndTheCatalogAndBuildTheAnswers() {
        FakeCatalog catalog = Shop();
        RecordingPrompts prompts;
        DataMemory remembered{"", kNotes};
        COne2manyrsWiz wizard(nullptr, ContextOf(kShopScript), {remembered, catalog, prompts});
        wizard.show();
        QCOMPARE(wizard.windowTitle(), QString("Insert \"One To Many\" Recordset"));
        QCOMPARE(ShownButtons(wizard), QString("Next"));
        auto* datasources = PageControl<QComboBox>(wizard, "1008");
        auto* recordsets = PageControl<QComboBox>(wizard, "1009");
        auto* tables = PageControl<QListWidget>(wizard, "1002");
        QCOMPARE(datasources->currentText(), QString(kConnection));
        QCOMPARE(recordsets->count(), 2);
        // The remembered recordset is preselected.
        QCOMPARE(recordsets->currentText(), QString(kNotes));
        QCOMPARE(remembered.lastDatasource, std::string(kConnection));
        QCOMPARE(Entries(tables), QStringList({"Kinds", "Order Lines", "Notes"}));
        QVERIFY(PageControl<QRadioButton>(wizard, "1000")->isChecked());
        QCOMPARE(PageControl<QRadioButton>(wizard, "1001")->toolTip(),
                 QString("Build an sql recordset"));
        QCOMPARE(tables->toolTip(),
                 QString("Select the table/query to be used as the \"many\" recordset"));
        SaveScreenshot(wizard, "onetomany_wiz_155");

        recordsets->setCurrentIndex(recordsets->findText(kKinds));
        tables->setCurrentRow(1);
        PageControl<QRadioButton>(wizard, "1001")->click();
        Click(wizard, QWizard::NextButton);
        QCOMPARE(wizard.currentId(), int(COne2manyrsWiz::kPage2));
        QCOMPARE(ShownButtons(wizard), QString("Back Finish"));
        auto* one = PageControl<QListWidget>(wizard, "1002");
        auto* many = PageControl<QListWidget>(wizard, "1014");
        // The WHERE clause is cut from the one query; the many table goes in bracketed.
        QCOMPARE(Entries(one), QStringList({"KindId", "Kind Name"}));
        QCOMPARE(Entries(many), QStringList({"Name", "Kind Id"}));
        QCOMPARE(one->toolTip(), QString("Select the recordset key field"));
        QCOMPARE(many->toolTip(), QString("Select the foreign key field"));
        SaveScreenshot(wizard, "onetomany_wiz_156");

        many->setCurrentRow(1);
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        const COne2manyrsWiz::Answers& a = wizard.Chosen();
        QVERIFY(a.function == RecordsetFunction::kSql);
        QCOMPARE(a.manyTable, std::string("Order Lines"));
        QCOMPARE(a.keyField, std::string("KindId"));
        QCOMPARE(a.foreignKey, std::string("Kind Id"));
        QCOMPARE(a.keyKind, std::string("I"));
        QCOMPARE(wizard.Statement(),
                 std::string("&sql(\"SELECT * FROM [Order Lines] WHERE [Kind Id]=?KindId?\")"));
        QVERIFY(prompts.messages.isEmpty());
    }

    // Back keeps page 1's answers; another one recordset lists its columns and kinds.
    void BackAndNextFollowTheNewOneRecordset() {
        FakeCatalog catalog = Shop();
        RecordingPrompts prompts;
        DataMemory remembered;
        COne2manyrsWiz wizard(nullptr, ContextOf(kShopScript), {remembered, catalog, prompts});
        wizard.show();
        PageControl<QListWidget>(wizard, "1002")->setCurrentRow(2);
        PageControl<QRadioButton>(wizard, "1001")->click();
        Click(wizard, QWizard::NextButton);
        QCOMPARE(Entries(PageControl<QListWidget>(wizard, "1002")),
                 QStringList({"KindId", "Kind Name"}));
        Click(wizard, QWizard::BackButton);
        QCOMPARE(PageControl<QListWidget>(wizard, "1002")->currentRow(), 2);
        QVERIFY(PageControl<QRadioButton>(wizard, "1001")->isChecked());
        auto* recordsets = PageControl<QComboBox>(wizard, "1009");
        recordsets->setCurrentIndex(recordsets->findText(kNotes));
        Click(wizard, QWizard::NextButton);
        QCOMPARE(Entries(PageControl<QListWidget>(wizard, "1002")), QStringList({"Tag", "Text"}));
        Click(wizard, QWizard::FinishButton);
        QCOMPARE(wizard.Chosen().keyKind, std::string("T"));
        QCOMPARE(wizard.Chosen().manyTable, std::string("Notes"));
    }

    void MissingStatementsEndTheWizardAsCancelled() {
        const std::pair<StatementCollector, const char*> cases[] = {
            {CollectorOf({{"&getdata", {kKinds}}}),
             "You need to insert a Database Connection in your script first."},
            {CollectorOf({{"&datasource", {kConnection}}}),
             "You need to include a normal recordset in your script first."},
        };
        for (const auto& [collect, message] : cases) {
            FakeCatalog catalog = Shop();
            RecordingPrompts prompts;
            DataMemory remembered;
            const std::optional<InsertResult> text = RunOneToManyWizard(
                nullptr, ContextOf(collect, 0, true), {remembered, catalog, prompts});
            QVERIFY(!text);
            QCOMPARE(prompts.plainMessages, QStringList{message});
        }
    }

    // A failed catalog shows its error and keeps the page; Next without a table is refused.
    void CatalogFailureKeepsThePageOpen() {
        FakeCatalog catalog;
        RecordingPrompts prompts;
        DataMemory remembered;
        COne2manyrsWiz wizard(nullptr, ContextOf(kShopScript), {remembered, catalog, prompts});
        wizard.show();
        QCOMPARE(prompts.messages, QStringList{"ODBC ERROR: no tables"});
        Click(wizard, QWizard::NextButton);
        QCOMPARE(prompts.messages.last(), QString("You must select the \"many\" recordset."));
        QCOMPARE(wizard.currentId(), int(COne2manyrsWiz::kPage1));
    }

    // The entry point: Finish gives the statement and its block and remembers the statement;
    // Cancel gives nothing.
    void EntryPointWritesTheStatementUnlessCancelled() {
        fixtures::SqliteDatabase database(
            "CREATE TABLE Kinds (KindId INTEGER, Name TEXT);"
            "CREATE TABLE \"Order Lines\" (\"Kind Id\" INTEGER, Item TEXT);");
        QVERIFY2(database.Ok(), database.Error().c_str());
        const std::string connection = "&datasource(\"" + database.ConnectionString() + "\")";
        const StatementCollector collect = CollectorOf(
            {{"&datasource", {connection}}, {"&getdata", {"&getdata(\"SELECT * FROM Kinds\")"}}});
        COdbcInfo catalog;
        RecordingPrompts prompts;
        DataMemory remembered;
        QTimer::singleShot(0, [] {
            auto* wizard = qobject_cast<QWizard*>(QApplication::activeModalWidget());
            QVERIFY(wizard != nullptr);
            PageControl<QListWidget>(*wizard, "1002")->setCurrentRow(1);
            Click(*wizard, QWizard::NextButton);
            PageControl<QListWidget>(*wizard, "1014")->setCurrentRow(0);
            Click(*wizard, QWizard::FinishButton);
        });
        const std::optional<InsertResult> text = RunOneToManyWizard(
            nullptr, ContextOf(collect, 1, false), {remembered, catalog, prompts});
        QVERIFY2(prompts.messages.isEmpty(), qPrintable(prompts.messages.join("; ")));
        QVERIFY(text);
        const std::string statement =
            "&getdata(\"SELECT * FROM [Order Lines] WHERE [Kind Id]=?KindId?\")";
        QCOMPARE(text->text, statement + "\r\n\t{\r\n\t\t\r\n\t}\r\n\t");
        QCOMPARE(text->caret, statement.size() + 8);
        QCOMPARE(remembered.lastRecordset, statement);

        QTimer::singleShot(0, [] {
            auto* wizard = qobject_cast<QWizard*>(QApplication::activeModalWidget());
            QVERIFY(wizard != nullptr);
            Click(*wizard, QWizard::NextButton);
            Click(*wizard, QWizard::CancelButton);
        });
        remembered.lastRecordset.clear();
        QVERIFY(!RunOneToManyWizard(nullptr, ContextOf(collect, 1, false),
                                    {remembered, catalog, prompts}));
        QVERIFY(remembered.lastRecordset.empty());
    }
};

QUARN_QT_TEST(OneToManyWizTest)
#include "onetomany_wiz_test.moc"

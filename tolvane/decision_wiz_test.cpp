#include "tolvane/decision_wiz.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>

#include "tests/fixtures/tab_order.h"
#include "tolvane/wizard_test_support.h"

namespace {

constexpr char kConnection[] = "&datasource(\"DSN=shop\")";
constexpr char kLines[] = "&getdata(\"SELECT * FROM Lines WHERE Kind=1\")";

FakeCatalog Shop() {
    FakeCatalog catalog;
    catalog.columns["SELECT * FROM Lines "] = {{"Name", "T"}, {"Cost#1", "I"}};
    return catalog;
}

const StatementCollector kScript = CollectorOf(
    {{"&datasource", {kConnection}}, {"&getdata", {kLines}}, {"&defvar", {"&defvar(?b?, ?a?)"}}});

// One run of the entry point: `drive` answers the pages of the modal wizard.
struct Run {
    FakeCatalog catalog = Shop();
    RecordingPrompts prompts;
    QueuedPickers pickers;
    DataMemory remembered;

    std::optional<InsertResult> operator()(const StatementCollector& collect,
                                           std::function<void(QWizard&)> drive, int indent = 1,
                                           bool todo = false) {
        QTimer::singleShot(0, [drive] {
            auto* wizard = qobject_cast<QWizard*>(QApplication::activeModalWidget());
            QVERIFY(wizard != nullptr);
            drive(*wizard);
        });
        return RunDataDecisionWizard(nullptr, ContextOf(collect, indent, todo),
                                     {remembered, catalog, prompts}, pickers);
    }
};

void ChooseOnPage1(QWizard& wizard, const char* source, const char* test, bool withElse) {
    PageControl<QRadioButton>(wizard, source)->click();
    PageControl<QRadioButton>(wizard, test)->click();
    PageControl<QCheckBox>(wizard, "1007")->setChecked(withElse);
    Click(wizard, QWizard::NextButton);
}

}  // namespace

class DecisionWizTest : public QObject {
    Q_OBJECT
private slots:
    // Tab walks every page in the order its controls stand.
    void TabFollowsThePlacesOnEveryPage() {
        Run run;
        CIfWiz wizard(nullptr, ContextOf(kScript), {run.remembered, run.catalog, run.prompts},
                      run.pickers);
        wizard.show();
        QStringList problems = fixtures::TabOrderProblemsOnEveryPage(wizard);
        // The recordset index is a field once the data is said to be outside the recordset.
        wizard.setStartId(CIfWiz::kPage2);
        wizard.restart();
        PageControl<QCheckBox>(wizard, "1007")->click();
        if (const QString problem = fixtures::TabOrderProblem(wizard); !problem.isEmpty())
            problems << "163 with 1007 cleared " + problem;
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }

    // Every path through the pages, and the exact text it writes at a caret indented by one TAB.
    void EveryPathWritesItsTest() {
        struct Case {
            const char* what;
            std::function<void(QWizard&)> drive;
            std::string line;
        };
        const Case cases[] = {
            {"logical field, current recordset",
             [](QWizard& w) {
                 ChooseOnPage1(w, "1000", "1020", false);
                 QCOMPARE(ShownButtons(w), QString("Back Finish"));
                 Click(w, QWizard::FinishButton);
             },
             "&if(?Cost\\#1?)"},
            {"logical variable",
             [](QWizard& w) {
                 ChooseOnPage1(w, "1001", "1020", false);
                 QCOMPARE(w.currentId(), int(CIfWiz::kPage4));
                 QCOMPARE(Entries(PageControl<QListWidget>(w, "1002")),
                          QStringList({"?a?", "?b?"}));
                 PageControl<QListWidget>(w, "1002")->setCurrentRow(1);
                 Click(w, QWizard::FinishButton);
             },
             "&if(?b?)"},
            {"numeric field with index, larger than",
             [](QWizard& w) {
                 ChooseOnPage1(w, "1000", "1016", false);
                 QCOMPARE(ShownButtons(w), QString("Back Next"));
                 auto* fields = PageControl<QListWidget>(w, "1002");
                 QCOMPARE(Entries(fields), QStringList({"Cost#1", "Name", "numcolumns",
                                                        "recordsetsize", "rownumber"}));
                 PageControl<QCheckBox>(w, "1007")->setChecked(false);
                 QVERIFY(PageControl<QSpinBox>(w, "1021")->isEnabled());
                 QCOMPARE(PageControl<QSpinBox>(w, "1021")->value(), -1);
                 Click(w, QWizard::NextButton);
                 QCOMPARE(w.currentId(), int(CIfWiz::kPage5));
                 QTest::keyClicks(PageControl<QLineEdit>(w, "1003"), "10");
                 PageControl<QRadioButton>(w, "1017")->click();
                 Click(w, QWizard::FinishButton);
             },
             "&if(?Cost\\#1[-1]?>10)"},
            {"text variable, contains, not case sensitive",
             [](QWizard& w) {
                 ChooseOnPage1(w, "1001", "1017", false);
                 Click(w, QWizard::NextButton);
                 QCOMPARE(w.currentId(), int(CIfWiz::kPage3));
                 QTest::keyClicks(PageControl<QLineEdit>(w, "1003"), "say \"#1\" C:\\x Why?");
                 PageControl<QRadioButton>(w, "1019")->click();
                 Click(w, QWizard::FinishButton);
             },
             "&if(\"say \\\"\\#1\\\" C:\\\\x Why\\?\",in.nc,\"?a?\")"},
            {"text field, the same, case sensitive",
             [](QWizard& w) {
                 ChooseOnPage1(w, "1000", "1017", false);
                 PageControl<QListWidget>(w, "1002")->setCurrentRow(1);
                 Click(w, QWizard::NextButton);
                 QTest::keyClicks(PageControl<QLineEdit>(w, "1003"), "Saw");
                 PageControl<QCheckBox>(w, "1013")->setChecked(true);
                 Click(w, QWizard::FinishButton);
             },
             "&if(\"Saw\",eq,\"?Name?\")"},
        };
        for (const Case& c : cases) {
            Run run;
            const std::optional<InsertResult> text = run(kScript, c.drive);
            QVERIFY2(text, c.what);
            QCOMPARE(text->text, c.line + "\r\n\t{\r\n\t\t\r\n\t}\r\n\t");
            QCOMPARE(text->caret, c.line.size() + 8);
            QVERIFY2(run.prompts.messages.isEmpty(), c.what);
        }
    }

    void ElseBlockAndTodoLines() {
        Run run;
        const std::optional<InsertResult> text = run(
            kScript,
            [](QWizard& w) {
                ChooseOnPage1(w, "1000", "1020", true);
                Click(w, QWizard::FinishButton);
            },
            0, true);
        QVERIFY(text);
        QVERIFY(text->text.find("&else\r\n{\r\n\t# TODO- insert the HTML/script functions that "
                                "you want to happen if the test evaluates FALSE") !=
                std::string::npos);
        QCOMPARE(text->text.substr(text->caret - 3, 5), std::string("\r\n\t\r\n"));
        QVERIFY(text->caret < text->text.find("&else"));
    }

    // Page 1 refuses Next without both choices; Back and Next keep the answers; the pickers put
    // their references into the value at the caret; Cancel writes nothing.
    void PageFlowKeepsAnswersAndCancelWritesNothing() {
        FakeCatalog catalog = Shop();
        RecordingPrompts prompts;
        QueuedPickers pickers;
        pickers.fields = {"?Cost\\#1?"};
        pickers.variables = {"?a?"};
        DataMemory remembered;
        CIfWiz wizard(nullptr, ContextOf(kScript), {remembered, catalog, prompts}, pickers);
        wizard.show();
        QCOMPARE(wizard.windowTitle(), QString("Insert Data Decision"));
        QCOMPARE(PageControl<QCheckBox>(wizard, "1007")->text(),
                 QString("Include &&else function"));
        SaveScreenshot(wizard, "decision_wiz_162");
        PageControl<QRadioButton>(wizard, "1016")->click();
        Click(wizard, QWizard::NextButton);
        QCOMPARE(prompts.plainMessages,
                 QStringList{"You must select a data source and a data type"});
        QCOMPARE(wizard.currentId(), int(CIfWiz::kPage1));

        ChooseOnPage1(wizard, "1000", "1016", true);
        QCOMPARE(wizard.windowTitle(), QString("Select Test Field"));
        QCOMPARE(remembered.lastRecordset, std::string(kLines));
        SaveScreenshot(wizard, "decision_wiz_163");
        Click(wizard, QWizard::BackButton);
        QVERIFY(PageControl<QRadioButton>(wizard, "1000")->isChecked());
        QVERIFY(PageControl<QRadioButton>(wizard, "1016")->isChecked());
        QVERIFY(PageControl<QCheckBox>(wizard, "1007")->isChecked());
        Click(wizard, QWizard::NextButton);
        Click(wizard, QWizard::NextButton);
        QCOMPARE(wizard.windowTitle(), QString("Test Data"));
        auto* value = PageControl<QLineEdit>(wizard, "1003");
        QTest::keyClicks(value, "1+");
        QTest::mouseClick(PageControl<QPushButton>(wizard, "1006"), Qt::LeftButton);
        QTest::mouseClick(PageControl<QPushButton>(wizard, "1024"), Qt::LeftButton);
        // Both queues are empty now: Cancel in a picker changes nothing.
        QTest::mouseClick(PageControl<QPushButton>(wizard, "1024"), Qt::LeftButton);
        QCOMPARE(value->text(), QString("1+?Cost\\#1??a?"));
        SaveScreenshot(wizard, "decision_wiz_166");
        Click(wizard, QWizard::BackButton);
        Click(wizard, QWizard::BackButton);
        ChooseOnPage1(wizard, "1001", "1017", true);
        QCOMPARE(wizard.windowTitle(), QString("Select Test Variable"));
        SaveScreenshot(wizard, "decision_wiz_165");
        Click(wizard, QWizard::NextButton);
        SaveScreenshot(wizard, "decision_wiz_164");
        Click(wizard, QWizard::CancelButton);
        QCOMPARE(wizard.result(), int(QDialog::Rejected));
    }

    void MissingStatementsEndTheWizard() {
        struct Case {
            StatementCollector collect;
            const char* source;
            const char* message;
        };
        const Case cases[] = {
            {CollectorOf({{"&getdata", {kLines}}}), "1000",
             "You need to insert a Database Connection in your script first."},
            {CollectorOf({{"&datasource", {kConnection}}}), "1000",
             "You need to insert a Recordset in your script first."},
            {CollectorOf({{"&datasource", {kConnection}}}), "1001",
             "You need to define a user variable before you can use it."},
        };
        for (const Case& c : cases) {
            Run run;
            const char* source = c.source;
            QVERIFY(
                !run(c.collect, [source](QWizard& w) { ChooseOnPage1(w, source, "1020", false); }));
            QCOMPARE(run.prompts.plainMessages, QStringList{c.message});
        }
    }
};

QUARN_QT_TEST(DecisionWizTest)
#include "decision_wiz_test.moc"

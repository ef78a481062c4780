// The insert commands driven through their dialogs as a user answers them: each command's text
// at the top level with TODO lines and in a nested block without them, the messages of a script
// that lacks what a dialog lists, and Cancel. The data dialogs read a real SQLite database.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWizard>
#include <functional>
#include <map>

#include "shared/odbc_info.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/sqlite_database.h"
#include "tests/fixtures/tab_order.h"
#include "tolvane/dialog_test_support.h"
#include "tolvane/insert_data_dlgs.h"
#include "tolvane/insert_other_dlgs.h"
#include "tolvane/wizard_test_support.h"

namespace {

std::string WithCaret(const std::optional<InsertResult>& result) {
    if (!result) return "(nothing)";
    return result->text.substr(0, result->caret) + "|" + result->text.substr(result->caret);
}

constexpr std::string_view kShop =
    "CREATE TABLE \"Order Lines\" (Name TEXT, \"Cost#1\" REAL, Link TEXT);"
    "CREATE TABLE Kinds (KindId INTEGER, Kind TEXT);";

}  // namespace

class InsertDialogsTest : public QObject {
    Q_OBJECT
private:
    fixtures::SqliteDatabase m_shop{kShop};
    COdbcInfo m_catalog;
    RecordingPrompts m_prompts;
    DataMemory m_memory;
    InsertServices m_services{m_memory, m_catalog, m_prompts};
    std::string m_strDatasource;

    InsertContext Context(int indent, bool todo, Statements statements) {
        InsertContext ctx;
        ctx.indent = indent;
        ctx.todo = todo;
        ctx.collect = CollectorOf(std::move(statements));
        return ctx;
    }
    Statements Script() {
        return {{"&datasource", {"&datasource(\"DSN=other\")", m_strDatasource}},
                {"&getdata", {"&getdata(\"SELECT * FROM [Order Lines] where Name='x'\")"}},
                {"&sql", {"&sql(\"SELECT * FROM Kinds\")"}},
                {"&defvar", {"&defvar(?total?, ?count?)", "&defvar(?name?)"}},
                {"&defsub", {"&defsub(\"side\")", "&defsub(\"pages\")"}}};
    }

    using Command = std::function<std::optional<InsertResult>(const InsertContext&)>;
    struct Case {
        const char* what;
        int indent;
        bool todo;
        Command command;
        QString dialog;
        Answer answer;
        std::string expected;
    };
    void Check(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            m_prompts.messages.clear();
            WhenModal(c.dialog, c.answer);
            const std::string text = WithCaret(c.command(Context(c.indent, c.todo, Script())));
            QVERIFY2(text == c.expected, (std::string(c.what) + ":\n" + text).c_str());
            QVERIFY2(m_prompts.messages.isEmpty(), c.what);
        }
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_shop.Ok(), m_shop.Error().c_str());
        m_strDatasource = DataSourceText(m_shop.ConnectionString(), {0, false, {}, {}}).text;
        m_strDatasource.resize(m_strDatasource.size() - 2);
    }

    void DataCommandsWriteTheirStatements() {
        const Command recordset = [this](const InsertContext& ctx) {
            return InsertRecordset(nullptr, ctx, m_services);
        };
        const Command data = [this](const InsertContext& ctx) {
            return InsertDatabaseData(nullptr, ctx, m_services);
        };
        const auto chooseTable = [this](const QString& table, const char* function) {
            return [this, table, function](QDialog& dialog) {
                QCOMPARE(Control<QComboBox>(dialog, "1008")->currentText(),
                         QString::fromStdString(m_strDatasource));
                QCOMPARE(Control<QListWidget>(dialog, "1002")->item(0)->text(), QString("Kinds"));
                QCOMPARE(Control<QRadioButton>(dialog, "1000")->toolTip(),
                         QString("Build a getdata recordset"));
                ChooseRow(dialog, "1002", table);
                Click(dialog, function);
                Click(dialog, "1");
            };
        };
        // The field dialog lists the columns of the query cut before its "where", then the
        // three counters, all sorted.
        const auto chooseField = [](const QString& field, bool inScope, int index, int format) {
            return [=](QDialog& dialog) {
                Activate(dialog, "1009",
                         "&getdata(\"SELECT * FROM [Order Lines] where Name='x'\")");
                QStringList fields;
                for (int i = 0; i < Control<QListWidget>(dialog, "1002")->count(); ++i)
                    fields << Control<QListWidget>(dialog, "1002")->item(i)->text();
                QCOMPARE(fields, QStringList({"Cost#1", "Link", "Name", "numcolumns",
                                              "recordsetsize", "rownumber"}));
                // The index edit 1004 belongs to its spin control 1012; both start disabled.
                QVERIFY(!Control<QLineEdit>(dialog, "1004")->isEnabled());
                QCOMPARE(Control<QSpinBox>(dialog, "1012")->minimum(), -100);
                QCOMPARE(Control<QSpinBox>(dialog, "1012")->maximum(), 100);
                ChooseRow(dialog, "1002", field);
                if (!inScope) {
                    Click(dialog, "1007");
                    QVERIFY(Control<QLineEdit>(dialog, "1004")->isEnabled());
                    Control<QSpinBox>(dialog, "1012")->setValue(index);
                }
                if (format != 0) {
                    WhenModal("167", [format](QDialog& formats) {
                        const char* ids[] = {"1000", "1001", "1020", "1016", "1017"};
                        Click(formats, ids[format]);
                        Click(formats, "1");
                    });
                    Click(dialog, "1006");
                }
                Click(dialog, "1");
            };
        };
        Check({
            {"getdata at the top", 0, true, recordset, "142", chooseTable("Order Lines", "1000"),
             "&getdata(\"SELECT * FROM [Order Lines]\")\r\n{\r\n"
             "\t# TODO- insert your database data and extra HTML after this line.\r\n"
             "\t|\r\n}\r\n"},
            {"sql nested", 2, false, recordset, "142", chooseTable("Kinds", "1001"),
             "&sql(\"SELECT * FROM Kinds\")\r\n\t\t{\r\n\t\t\t|\r\n\t\t}\r\n\t\t"},
            {"plain field", 0, true, data, "143", chooseField("Cost#1", true, 0, 0), "?Cost\\#1?|"},
            {"field outside the recordset, date", 2, false, data, "143",
             chooseField("Name", false, -3, 1),
             "&defvar(?temp?)\r\n\t\t&format(?temp?,\"&d.d-m-y\",\"?Name[-3]?\")\r\n"
             "\t\t?temp?\r\n\t\t&delete(?temp?)\r\n\t\t|"},
            {"time", 0, false, data, "143", chooseField("Name", true, 0, 2),
             "&defvar(?temp?)\r\n&format(?temp?,\"&t.h:m:s\",\"?Name?\")\r\n?temp?\r\n"
             "&delete(?temp?)\r\n|"},
            {"currency", 1, true, data, "143", chooseField("Cost#1", true, 0, 3),
             "&defvar(?temp?)\r\n\t&format(?temp?,\"%D.2f\",?Cost\\#1?)\r\n"
             "\t# The user-defined variable on the following line contains your formatted "
             "data.\r\n\t?temp?\r\n\t&delete(?temp?)\r\n\t|"},
            {"hyperlink", 2, true, data, "143", chooseField("Link", true, 0, 4),
             "&split(?temp?,\"?Link?\",\"\\#\")\r\n\t\t<A HREF=\"?temp[2]?\">?temp[1]?</A>\r\n"
             "\t\t&arraydelete(?temp?)\r\n\t\t|"},
        });
        QCOMPARE(m_memory.lastRecordset,
                 std::string("&getdata(\"SELECT * FROM [Order Lines] where Name='x'\")"));
        QCOMPARE(m_memory.lastDatasource, m_strDatasource);
    }

    void OtherCommandsWriteTheirStatements() {
        const auto typeInto = [](const char* id, const QString& text) {
            return [=](QDialog& dialog) {
                Type(dialog, id, text);
                Click(dialog, "1");
            };
        };
        const Command variable = [](const InsertContext& ctx) {
            return InsertUserVariable(nullptr, ctx);
        };
        const Command variableData = [this](const InsertContext& ctx) {
            return InsertVariableData(nullptr, ctx, m_prompts);
        };
        const Command assign = [this](const InsertContext& ctx) {
            return InsertDataAssign(nullptr, ctx, m_services);
        };
        const Command defsub = [](const InsertContext& ctx) { return InsertDefsub(nullptr, ctx); };
        const Command gosub = [this](const InsertContext& ctx) {
            return InsertGosub(nullptr, ctx, m_prompts);
        };
        const Command page = [this](const InsertContext& ctx) {
            return InsertHtmlPage(nullptr, ctx, m_services);
        };
        const Command mail = [this](const InsertContext& ctx) {
            return InsertEmail(nullptr, ctx, m_services);
        };
        // A value built with a function, operators and both pickers.
        const Answer assignAnswer = [](QDialog& dialog) {
            auto* variables = Control<QComboBox>(dialog, "1008");
            QCOMPARE(variables->count(), 3);
            QCOMPARE(variables->itemText(0), QString("?count?"));
            variables->setCurrentIndex(variables->findText("?total?"));
            auto* functions = Control<QListWidget>(dialog, "1002");
            QCOMPARE(functions->count(), 13);
            const QRect sqrt = functions->visualItemRect(functions->findItems("sqrt()", {})[0]);
            QTest::mouseClick(functions->viewport(), Qt::LeftButton, {}, sqrt.center());
            QTest::mouseDClick(functions->viewport(), Qt::LeftButton, {}, sqrt.center());
            WhenModal("169", [](QDialog& picker) { Activate(picker, "1008", "?count?"); });
            Click(dialog, "1024");
            QTest::keyClick(Control<QLineEdit>(dialog, "1003"), Qt::Key_End);
            Click(dialog, "1011");
            Click(dialog, "1019");
            Click(dialog, "1015");
            WhenModal("143", [](QDialog& fields) {
                ChooseRow(fields, "1002", "Cost#1");
                QVERIFY(!Control<QPushButton>(fields, "1006")->isEnabled());
                Click(fields, "1");
            });
            Click(dialog, "1006");
            Click(dialog, "1");
        };
        const Answer pageInSubroutine = [](QDialog& dialog) {
            QVERIFY(!Control<QLineEdit>(dialog, "1004")->isEnabled());
            Type(dialog, "1003", "kind ");
            WhenModal("169", [](QDialog& picker) {
                Type(picker, "1008", "?name?");
                QTest::keyClick(Control<QComboBox>(picker, "1008")->lineEdit(), Qt::Key_Return);
            });
            Click(dialog, "1024");
            Type(dialog, "1003", "#1.html");
            Click(dialog, "1007");
            QCOMPARE(dialog.focusWidget(), Control<QLineEdit>(dialog, "1004"));
            Type(dialog, "1004", "pages_with_a_long_name");
            Click(dialog, "1");
        };
        // Fields typed in turn; the Database button inserts into the one left last.
        const auto mailAnswer = [](bool autoFormat) {
            return [autoFormat](QDialog& dialog) {
                QCOMPARE(dialog.focusWidget(), Control<QLineEdit>(dialog, "1003"));
                Type(dialog, "1025", "Tom & \"Jerry\" #");
                Type(dialog, "1003", "to@x.org");
                Type(dialog, "1004", "me@x.org");
                Type(dialog, "1005", "smtp.x.org");
                Control<QLineEdit>(dialog, "1025")->setFocus();
                WhenModal("143", [](QDialog& fields) {
                    ChooseRow(fields, "1002", "Name");
                    Click(fields, "1");
                });
                Click(dialog, "1006");
                if (autoFormat) Click(dialog, "1001");
                Click(dialog, "1");
            };
        };
        Check({
            {"new variable", 0, true, variable, "170", typeInto("1003", "total"),
             "&defvar(?total?)\r\n|"},
            {"new variable nested", 2, false, variable, "170", typeInto("1003", "total"),
             "&defvar(?total?)\r\n\t\t|"},
            {"variable data", 2, true, variableData, "169",
             [](QDialog& dialog) { Activate(dialog, "1008", "?name?"); }, "?name?|"},
            {"assign", 0, true, assign, "171", assignAnswer,
             "&assign(?total?,sqrt(?count?)>=&&&?Cost\\#1?)\r\n|"},
            {"assign nested", 2, false, assign, "171", assignAnswer,
             "&assign(?total?,sqrt(?count?)>=&&&?Cost\\#1?)\r\n\t\t|"},
            {"defsub", 0, true, defsub, "150", typeInto("1003", "side"),
             "&defsub(\"side\")\r\n{\r\n"
             "\t# TODO- insert your subroutine functions after this line.\r\n\t|\r\n}"},
            {"defsub nested, name of at most 19", 2, false, defsub, "150",
             typeInto("1003", "a_name_longer_than_nineteen"),
             "&defsub(\"a_name_longer_than_\")\r\n\t\t{\r\n\t\t\t|\r\n\t\t}"},
            {"gosub", 1, true, gosub, "151",
             [](QDialog& dialog) { Activate(dialog, "1008", "side"); }, "&side|"},
            {"page", 0, true, page, "141", typeInto("1003", "index.html"),
             "&html(\"index.html\")\r\n{\r\n"
             "\t# TODO- insert your database recordset and/or HTML after this line.\r\n"
             "\t|\r\n}"},
            {"page without a name is refused", 0, false, page, "141",
             [this](QDialog& dialog) {
                 Click(dialog, "1");
                 QVERIFY(dialog.isVisible());
                 QCOMPARE(m_prompts.messages.last(),
                          QString("You must enter a file name for the HTML page."));
                 m_prompts.messages.clear();
                 Type(dialog, "1003", "a.html");
                 Click(dialog, "1");
             },
             "&html(\"a.html\")\r\n{\r\n\t|\r\n}"},
            {"page in a subroutine, nested", 1, false, page, "141", pageInSubroutine,
             "&defsub(\"pages_with_a_long_n\")\r\n\t{\r\n\t\t&html(\"kind ?name?\\#1.html\")\r\n"
             "\t\t{\r\n\t\t\t|\r\n\t\t}\r\n\t}"},
            {"mail without formatting", 0, true, mail, "136", mailAnswer(false),
             "&sendmail(\"smtp.x.org\",\"me@x.org\",\"to@x.org\",formatnone)\r\n{\r\n"
             "HEADER:\r\nFrom: me@x.org\r\nTo: to@x.org\r\n"
             "Subject: Tom \\& \\\"Jerry\\\" \\#?Name?\r\n"
             "Date: ?quarndate.dn?, ?quarndate.d? ?quarndate.mn? ?quarndate.y? ?quarntime?\r\n"
             "BODY:\r\n|\r\n}"},
            {"mail auto-formatted, nested", 2, false, mail, "136", mailAnswer(true),
             "&sendmail(\"smtp.x.org\",\"me@x.org\",\"to@x.org\")\r\n\t\t{\r\n"
             "\t\t\tHEADER:\r\n\t\t\tFrom: me@x.org\r\n\t\t\tTo: to@x.org\r\n"
             "\t\t\tSubject: Tom \\& \\\"Jerry\\\" \\#?Name?\r\n"
             "\t\t\tDate: ?quarndate.dn?, ?quarndate.d? ?quarndate.mn? ?quarndate.y? "
             "?quarntime?\r\n\t\t\tBODY:\r\n\t\t\t|\r\n\t\t}"},
        });
    }

    // The connection wizard's string, escaped for the script.
    void ConnectionCommandWritesTheWizardsString() {
        FakeCatalog catalog;
        catalog.sources = {"shop"};
        InsertServices services{m_memory, catalog, m_prompts};
        const auto answer = [](QDialog& wizard) {
            wizard.findChild<QAbstractButton*>("1001")->click();
            static_cast<QWizard&>(wizard).next();
            wizard.findChild<QLineEdit*>("1004")->setText("p#?\\\"w");
            static_cast<QWizard&>(wizard).button(QWizard::FinishButton)->click();
        };
        WhenModal("datacon", answer);
        QCOMPARE(WithCaret(InsertDataSource(nullptr, Context(2, false, {}), services)),
                 std::string("&datasource(\"DSN=shop;PWD=p\\#\\?\\\\\\\"w\")\r\n\t\t|"));
        WhenModal("datacon", answer);
        QCOMPARE(WithCaret(InsertDataSource(nullptr, Context(0, true, {}), services)),
                 std::string("&datasource(\"DSN=shop;PWD=p\\#\\?\\\\\\\"w\")\r\n"
                             "# TODO- you can insert a recordset after this line,\r\n"
                             "# although you will probably want to place it inside an HTML "
                             "page.\r\n|"));
        WhenModal("datacon", [](QDialog& wizard) { wizard.reject(); });
        QVERIFY(!InsertDataSource(nullptr, Context(0, true, {}), services));
    }

    void MissingStatementsAreReportedAndNothingIsInserted() {
        const InsertContext empty = Context(0, true, {});
        InsertContext noRecordset = Context(0, true, {{"&datasource", {m_strDatasource}}});
        const struct {
            const char* what;
            std::function<std::optional<InsertResult>()> command;
            QString message;
        } cases[] = {
            {"recordset", [&] { return InsertRecordset(nullptr, empty, m_services); },
             "You need to insert a Database Connection in your script first."},
            {"data", [&] { return InsertDatabaseData(nullptr, empty, m_services); },
             "You need to insert a Database Connection in your script first."},
            {"data", [&] { return InsertDatabaseData(nullptr, noRecordset, m_services); },
             "You need to insert a Recordset in your script first."},
            {"variable data", [&] { return InsertVariableData(nullptr, empty, m_prompts); },
             "You need to define a user variable before you can use it."},
            {"assign", [&] { return InsertDataAssign(nullptr, empty, m_services); },
             "You need to define a user variable before you can use it."},
            {"gosub", [&] { return InsertGosub(nullptr, empty, m_prompts); },
             "You need to include a subroutine in your script before you can add a gosub."},
        };
        for (const auto& c : cases) {
            m_prompts.messages.clear();
            QVERIFY2(!c.command(), c.what);
            QCOMPARE(m_prompts.messages, QStringList{c.message});
        }
    }

    // Tab walks every dialog in the order its controls stand, again with the check box that
    // enables a field clicked; Cancel then writes nothing.
    void TabFollowsThePlacesAndCancelInsertsNothing() {
        const InsertContext ctx = Context(1, true, Script());
        const struct {
            QString dialog;
            std::function<std::optional<InsertResult>()> command;
            const char* enabling = nullptr;
        } cases[] = {
            {"142", [&] { return InsertRecordset(nullptr, ctx, m_services); }},
            {"143", [&] { return InsertDatabaseData(nullptr, ctx, m_services); }, "1007"},
            {"170", [&] { return InsertUserVariable(nullptr, ctx); }},
            {"169", [&] { return InsertVariableData(nullptr, ctx, m_prompts); }},
            {"171", [&] { return InsertDataAssign(nullptr, ctx, m_services); }},
            {"150", [&] { return InsertDefsub(nullptr, ctx); }},
            {"151", [&] { return InsertGosub(nullptr, ctx, m_prompts); }},
            {"141", [&] { return InsertHtmlPage(nullptr, ctx, m_services); }, "1007"},
            {"136", [&] { return InsertEmail(nullptr, ctx, m_services); }},
        };
        QStringList problems;
        for (const auto& c : cases) {
            WhenModal(c.dialog, [&problems, enabling = c.enabling](QDialog& dialog) {
                if (const QString problem = fixtures::TabOrderProblem(dialog); !problem.isEmpty())
                    problems << problem;
                if (enabling != nullptr) {
                    Click(dialog, enabling);
                    if (const QString problem = fixtures::TabOrderProblem(dialog);
                        !problem.isEmpty())
                        problems << QString("with %1 clicked, ").arg(enabling) + problem;
                }
                Click(dialog, "2");
            });
            QVERIFY2(!c.command(), qPrintable(c.dialog));
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }

    void CatalogFailureLeavesTheListEmpty() {
        // Knowing no connection and no query, it fails both lists.
        FakeCatalog failing;
        InsertServices services{m_memory, failing, m_prompts};
        const InsertContext ctx = Context(0, true, Script());
        m_prompts.messages.clear();
        CRecordsetDlg tables(nullptr, ctx, services);
        QVERIFY(tables.Prepare());
        QCOMPARE(tables.findChild<QListWidget*>("1002")->count(), 0);
        CInsertDataDlg fields(nullptr, ctx, services, true);
        QVERIFY(fields.Prepare());
        QCOMPARE(fields.findChild<QListWidget*>("1002")->count(), 0);
        QCOMPARE(m_prompts.messages,
                 QStringList({"ODBC ERROR: no tables", "ODBC ERROR: no columns"}));
    }

    void ProcessHtmlReportsItsCounts() {
        InsertContext ctx = Context(0, true, {});
        ctx.selection = "{ab}#c";
        m_prompts.messages.clear();
        std::string replaced;
        ProcessHtmlSelection(nullptr, ctx, m_prompts, [&](const InsertResult& processed) {
            // The text is replaced before the counts are reported over it.
            QVERIFY(m_prompts.messages.isEmpty());
            replaced = WithCaret(processed);
        });
        QCOMPARE(replaced, std::string("\\{ab\\}\\#c|"));
        QCOMPARE(m_prompts.messages, QStringList{"6 characters processed, 3 substitutions made."});
    }
};

QUARN_QT_TEST(InsertDialogsTest)

#include "insert_dialogs_test.moc"

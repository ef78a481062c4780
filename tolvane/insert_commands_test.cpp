// The insert commands reached as a user reaches them: the frame's Insert menu with its HTML
// submenu, Tools "Process HTML", their keys and the view's context menu. Each dialog is answered
// over a real SQLite database; the text must land at the caret of the active view, indented as
// the caret line, as one undo step, and Cancel must leave the document alone.

#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWizard>
#include <chrono>
#include <filesystem>

#include "shared/widgets/toolbar_ex.h"
#include "tests/fixtures/program_process.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/quarn_program_dir.h"
#include "tests/fixtures/spawn_program.h"
#include "tests/fixtures/sqlite_database.h"
#include "tolvane/dialog_test_support.h"
#include "tolvane/edit_view.h"
#include "tolvane/insert_data_text.h"
#include "tolvane/wizard_test_support.h"

namespace {

constexpr std::string_view kShop =
    "CREATE TABLE Kinds (KindId INTEGER, Kind TEXT);"
    "INSERT INTO Kinds VALUES (1, 'Tools'), (2, 'Garden');"
    "CREATE TABLE Items (\"Kind Id\" INTEGER, Item TEXT);";

// The document with "|" where the caret stands.
QString WithCaret(const CEdView& view) {
    QString text = view.toPlainText();
    text.insert(view.textCursor().position(), QLatin1Char('|'));
    return text;
}

// A new document showing `text`, with the caret where its "|" stands.
CEdView* Show(CMainFrame& frame, const QString& text) {
    CEdView* view = frame.NewDocument();
    const int caret = text.indexOf(QLatin1Char('|'));
    view->setPlainText(QString(text).remove(caret, 1));
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(caret);
    view->setTextCursor(cursor);
    return view;
}

void CloseDocument(CMainFrame& frame) {
    frame.MdiArea()->activeSubWindow()->close();
}

// OK of a dialog, Finish of a wizard.
void PressOk(QDialog& dialog) {
    if (auto* wizard = qobject_cast<QWizard*>(&dialog))
        wizard->button(QWizard::FinishButton)->click();
    else
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

void PressCancel(QDialog& dialog) {
    if (auto* wizard = qobject_cast<QWizard*>(&dialog))
        wizard->button(QWizard::CancelButton)->click();
    else
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
}

QWizard& AsWizard(QDialog& dialog) {
    return static_cast<QWizard&>(dialog);
}

// Types into the edit `id` of the wizard's current page.
void TypeOnPage(QWizard& wizard, const char* id, const QString& text) {
    QTest::keyClicks(PageControl<QLineEdit>(wizard, id), text);
}

void ChooseOnPage(QWizard& wizard, const char* id, const QString& entry) {
    auto* list = PageControl<QListWidget>(wizard, id);
    const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
    if (found.size() != 1) qFatal("no entry %s in list %s", qPrintable(entry), id);
    list->setCurrentItem(found.front());
}

// The menu that shows `action`.
QMenu* MenuOf(QAction* action) {
    for (QObject* shown : action->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(shown)) return menu;
    return nullptr;
}

// The HTML toolbar's button for `tag`.
QAction* ToolbarTag(CMainFrame& frame, const char* tag) {
    for (QAction* action : frame.ToolBar(59397)->actions())
        if (action->objectName() == QLatin1String(tag)) return action;
    qFatal("no toolbar button %s", tag);
}

// Answers the connection wizard with the SQLite database file `path`, which goes to the SQLite3
// driver without the driver dialog.
Answer ConnectToFile(const std::string& path) {
    return [path](QDialog& dialog) {
        QWizard& wizard = AsWizard(dialog);
        PageControl<QRadioButton>(wizard, "1000")->click();
        Click(wizard, QWizard::NextButton);
        TypeOnPage(wizard, "1003", QString::fromStdString(path));
        Click(wizard, QWizard::FinishButton);
    };
}

// Types `text` and presses OK.
Answer TypeAndOk(const char* id, const QString& text) {
    return [id, text](QDialog& dialog) {
        Type(dialog, id, text);
        PressOk(dialog);
    };
}

// The frame and its open menus, drawn where they stand on the screen.
QPixmap GrabWithMenus(CMainFrame& frame, const QList<QWidget*>& menus) {
    QRect area = frame.geometry();
    for (QWidget* menu : menus)
        area |= menu->geometry();
    QPixmap picture(area.size());
    picture.fill(Qt::darkGray);
    QPainter painter(&picture);
    painter.drawPixmap(frame.geometry().topLeft() - area.topLeft(), frame.grab());
    for (QWidget* menu : menus)
        painter.drawPixmap(menu->pos() - area.topLeft(), menu->grab());
    return picture;
}

}  // namespace

class UiInsertCommandsTest : public QObject {
    Q_OBJECT
private:
    fixtures::SqliteDatabase m_shop{kShop};
    QString m_strScript;

    // A script with a connection, variables, a subroutine and a page holding a recordset; the
    // caret stands on the empty line inside the recordset, two TABs deep.
    QString Script(const QString& atCaret = QStringLiteral("|")) const {
        return QString(m_strScript).replace(QLatin1Char('|'), atCaret);
    }

    struct Case {
        int id;
        QString dialog;  // "" for a command without a dialog
        Answer answer;
        QString inserted;  // with "|" where the caret ends
    };

    // Runs the command `id` by its action, answering `dialog` with `answer`.
    static void Trigger(CMainFrame& frame, int id, const QString& dialog, const Answer& answer) {
        if (!dialog.isEmpty()) WhenModal(dialog, answer, QString());
        auto* action = frame.findChild<QAction*>(QString::number(id));
        QVERIFY2(action != nullptr, qPrintable(QString::number(id)));
        QVERIFY(action->isEnabled());
        action->trigger();
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_shop.Ok(), m_shop.Error().c_str());
        InsertContext plain;
        plain.todo = false;
        std::string connection = DataSourceText(m_shop.ConnectionString(), plain).text;
        connection.resize(connection.size() - 2);
        m_strScript = QString::fromStdString(connection) +
                      "\n&defvar(?total?, ?count?)\n&defsub(\"side\")\n{\n}\n"
                      "&html(\"index.html\")\n{\n\t&getdata(\"SELECT * FROM Kinds\")\n\t{\n\t\t|\n"
                      "\t}\n}\n";
    }

    void InsertMenuFollowsTheEditorView() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        QMenu* insert = nullptr;
        for (QAction* menu : frame.menuBar()->actions())
            if (menu->text() == QStringLiteral("&Insert")) insert = menu->menu();
        QVERIFY(insert != nullptr);
        QVERIFY(!insert->menuAction()->isVisible());
        for (int id : {32771, 32773, 32844, 32797, 32824, 32777})
            QVERIFY(!frame.Command(id)->isEnabled());

        CEdView* view = Show(frame, Script());
        QVERIFY(insert->menuAction()->isVisible());
        for (int id : {32771, 32773, 32844, 32797, 32824, 32777})
            QVERIFY(frame.Command(id)->isEnabled());
        // The tag items sit in the HTML submenu, with the prompt made from their text.
        QAction* bold = frame.Command(32824);
        QCOMPARE(bold->statusTip(),
                 QStringLiteral("Insert <B> tag. Press shift to insert closing tag."));
        QMenu* html = MenuOf(bold);
        QVERIFY(html != nullptr);
        QCOMPARE(html->title(), QStringLiteral("&HTML"));
        QCOMPARE(MenuOf(frame.Command(32797))->title(), QStringLiteral("&Tools"));
        QCOMPARE(frame.Command(32773)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_D));

        // The picture: the Insert menu open, and its HTML submenu beside it.
        const QRect item = frame.menuBar()->actionGeometry(insert->menuAction());
        insert->popup(frame.menuBar()->mapToGlobal(item.bottomLeft()));
        const QRect htmlItem = insert->actionGeometry(html->menuAction());
        html->popup(insert->mapToGlobal(htmlItem.topRight()));
        QVERIFY(QTest::qWaitForWindowExposed(html));
        const std::string dir = fixtures::ScreenshotDir();
        if (!dir.empty())
            QVERIFY(GrabWithMenus(frame, {insert, html})
                        .save(QString::fromStdString(dir) + "/tolvane_insert_menu.png"));
        html->hide();
        insert->hide();

        view->document()->setModified(false);
        CloseDocument(frame);
        QVERIFY(!insert->menuAction()->isVisible());
        QVERIFY(!frame.Command(32773)->isEnabled());
    }

    // Every command once, at the caret two TABs deep inside a recordset: the text lands there,
    // the caret where the command puts it, and one undo takes the whole insertion away.
    void EveryCommandInsertsAtTheCaretAsOneUndoStep() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        const QString block = "\n\t\t{\n\t\t\t%1\n\t\t\t|\n\t\t}";
        const QString recordsetTodo =
            "# TODO- insert your database data and extra HTML after this line.";
        const std::vector<Case> cases = {
            {32771, "datacon", ConnectToFile(m_shop.Path()),
             "&datasource(\"Driver=\\{SQLite3\\};Database=" +
                 QString::fromStdString(m_shop.Path()) +
                 "\")\n\t\t# TODO- you can insert a recordset after this line,\n\t\t# although "
                 "you will probably want to place it inside an HTML page.\n\t\t|"},
            {32772, "142",
             [](QDialog& dialog) {
                 ChooseRow(dialog, "1002", "Items");
                 Click(dialog, "1001");
                 PressOk(dialog);
             },
             "&sql(\"SELECT * FROM Items\")" + block.arg(recordsetTodo) + "\n\t\t"},
            {32834, "onetomany",
             [](QDialog& dialog) {
                 QWizard& wizard = AsWizard(dialog);
                 ChooseOnPage(wizard, "1002", "Items");
                 Click(wizard, QWizard::NextButton);
                 ChooseOnPage(wizard, "1002", "KindId");
                 ChooseOnPage(wizard, "1014", "Kind Id");
                 Click(wizard, QWizard::FinishButton);
             },
             "&getdata(\"SELECT * FROM Items WHERE [Kind Id]=?KindId?\")" +
                 block.arg(recordsetTodo) + "\n\t\t"},
            {32773, "143",
             [](QDialog& dialog) {
                 ChooseRow(dialog, "1002", "Kind");
                 PressOk(dialog);
             },
             "?Kind?|"},
            {32849, "170", TypeAndOk("1003", "n"), "&defvar(?n?)\n\t\t|"},
            {32851, "171",
             [](QDialog& dialog) {
                 auto* variables = Control<QComboBox>(dialog, "1008");
                 variables->setCurrentIndex(variables->findText("?count?"));
                 Type(dialog, "1003", "1+");
                 // The real pickers: the User Variable button asks in the Insert Variable dialog.
                 WhenModal(
                     "169", [](QDialog& picker) { Activate(picker, "1008", "?total?"); },
                     QString());
                 Click(dialog, "1024");
                 PressOk(dialog);
             },
             "&assign(?count?,1+?total?)\n\t\t|"},
            {32847, "169", [](QDialog& dialog) { Activate(dialog, "1008", "?total?"); },
             "?total?|"},
            {32844, "decision",
             [](QDialog& dialog) {
                 QWizard& wizard = AsWizard(dialog);
                 PageControl<QRadioButton>(wizard, "1000")->click();
                 PageControl<QRadioButton>(wizard, "1016")->click();
                 Click(wizard, QWizard::NextButton);
                 ChooseOnPage(wizard, "1002", "KindId");
                 Click(wizard, QWizard::NextButton);
                 // The wizard's Database button: the Insert Database Data dialog of the view.
                 WhenModal(
                     "143",
                     [](QDialog& fields) {
                         ChooseRow(fields, "1002", "Kind");
                         PressOk(fields);
                     },
                     QString());
                 PageControl<QPushButton>(wizard, "1006")->click();
                 Click(wizard, QWizard::FinishButton);
             },
             "&if(?KindId?==?Kind?)\n\t\t{\n\t\t\t# TODO- insert the HTML/script functions that "
             "you want to happen if the test evaluates TRUE after this line.\n\t\t\t|\n\t\t}\n"
             "\t\t"},
            {32806, "150",
             [](QDialog& dialog) {
                 // Not typed: the test's key clicks know no letters outside ASCII.
                 Control<QLineEdit>(dialog, "1003")->setText("pä");
                 PressOk(dialog);
             },
             "&defsub(\"pä\")" +
                 block.arg("# TODO- insert your subroutine functions after this line.")},
            {32807, "151", [](QDialog& dialog) { Activate(dialog, "1008", "side"); }, "&side|"},
            {32787, "141", TypeAndOk("1003", "a.html"),
             "&html(\"a.html\")" +
                 block.arg("# TODO- insert your database recordset and/or HTML after this line.")},
            {32798, "136",
             [](QDialog& dialog) {
                 Type(dialog, "1003", "to@x.org");
                 Type(dialog, "1004", "me@x.org");
                 Type(dialog, "1005", "smtp.x.org");
                 Type(dialog, "1025", "Hi");
                 PressOk(dialog);
             },
             "&sendmail(\"smtp.x.org\",\"me@x.org\",\"to@x.org\",formatnone)\n\t\t{\nHEADER:\n"
             "From: me@x.org\nTo: to@x.org\nSubject: Hi\nDate: ?quarndate.dn?, ?quarndate.d? "
             "?quarndate.mn? ?quarndate.y? ?quarntime?\nBODY:\n|\n\t\t}"},
            {32824, "", {}, "<B>|</B>"},
            {32781, "", {}, "<BR>|"},
            {32778, "161", TypeAndOk("1004", "#f00"), "<FONT COLOR=\"\\#f00\">|</FONT>"},
            {32784, "153",
             [](QDialog& dialog) {
                 Type(dialog, "1003", "a.gif");
                 Click(dialog, "1000");
                 PressOk(dialog);
             },
             "<IMG SRC=\"a.gif\" ALIGN=MIDDLE>|"},
            {32785, "152", [](QDialog& dialog) { Activate(dialog, "1008", "index.html"); },
             "<A HREF=\"index.html\">|</A>"},
            {32777, "172",
             [](QDialog& dialog) {
                 Control<QSpinBox>(dialog, "1012")->setValue(1);
                 PressOk(dialog);
             },
             "<TABLE>\n\t\t<TR>\n\t\t<TD></TD>\n\t\t<TD></TD>\n\t\t</TR>\n\t\t</TABLE>\n\t\t|"},
        };
        for (const Case& c : cases) {
            const QString what = QString::number(c.id);
            CEdView* view = Show(frame, Script());
            Trigger(frame, c.id, c.dialog, c.answer);
            QCOMPARE(WithCaret(*view), Script(c.inserted));
            QVERIFY2(f.prompts.messages.empty(), qPrintable(what));
            QCOMPARE(frame.focusWidget(), view);
            view->undo();
            QCOMPARE(view->toPlainText(), Script(QString()));
            QVERIFY2(!view->document()->isUndoAvailable(), qPrintable(what));
            view->document()->setModified(false);
            CloseDocument(frame);
        }
    }

    void CancelChangesNothing() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        const std::pair<int, const char*> commands[] = {
            {32771, "datacon"}, {32772, "142"}, {32834, "onetomany"}, {32773, "143"},
            {32849, "170"},     {32851, "171"}, {32844, "decision"},  {32806, "150"},
            {32807, "151"},     {32787, "141"}, {32798, "136"},       {32778, "161"},
            {32784, "153"},     {32785, "152"}, {32777, "172"}};
        CEdView* view = Show(frame, Script());
        for (const auto& [id, dialog] : commands) {
            Trigger(frame, id, dialog, PressCancel);
            QCOMPARE(WithCaret(*view), Script());
            QVERIFY(!view->document()->isUndoAvailable());
        }
        QVERIFY(f.prompts.messages.empty());
    }

    // The remembered statements belong to the view that chose them.
    void EachViewRemembersItsOwnStatements() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        const QString two = m_strScript + "&sql(\"SELECT * FROM Items\")\n";
        CEdView* first = Show(frame, two);
        Trigger(frame, 32773, "143", [](QDialog& dialog) {
            Activate(dialog, "1009", "&sql(\"SELECT * FROM Items\")");
            ChooseRow(dialog, "1002", "Item");
            PressOk(dialog);
        });
        QCOMPARE(first->Memory().lastRecordset, std::string("&sql(\"SELECT * FROM Items\")"));
        CEdView* second = Show(frame, two);
        Trigger(frame, 32773, "143", [](QDialog& dialog) {
            QCOMPARE(Control<QComboBox>(dialog, "1009")->currentText(),
                     QStringLiteral("&getdata(\"SELECT * FROM Kinds\")"));
            PressOk(dialog);
        });
        QVERIFY(second->Memory().lastRecordset != first->Memory().lastRecordset);
        frame.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        Trigger(frame, 32773, "143", [](QDialog& dialog) {
            QCOMPARE(Control<QComboBox>(dialog, "1009")->currentText(),
                     QStringLiteral("&sql(\"SELECT * FROM Items\")"));
            PressCancel(dialog);
        });
    }

    // The setting is read when the command starts; the TODO lines go, nothing else changes.
    void TodoSettingOffLeavesOutTheComments() {
        TolvaneFixture f;
        f.settings.WriteInt("tolvane", "todo", 0);
        CMainFrame& frame = f.Frame();
        CEdView* view = Show(frame, Script());
        Trigger(frame, 32806, "150", TypeAndOk("1003", "pg"));
        QCOMPARE(WithCaret(*view), Script("&defsub(\"pg\")\n\t\t{\n\t\t\t|\n\t\t}"));
    }

    // Process HTML escapes the selection (over two lines here) and reports the counts.
    void ProcessHtmlEscapesTheSelection() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView* view = Show(frame, "x|a{b}\n#c&d?\\ y");
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(cursor.position() + 11, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
        Trigger(frame, 32797, "", {});
        QCOMPARE(WithCaret(*view), QStringLiteral("xa\\{b\\}\n\\#c\\&d\\?\\\\| y"));
        QCOMPARE(f.prompts.messages.size(), std::size_t(1));
        QCOMPARE(f.prompts.messages[0].text,
                 QStringLiteral("11 characters processed, 6 substitutions made."));
        QCOMPARE(f.prompts.messages[0].icon, IEdPrompts::Icon::kNone);
        view->undo();
        QCOMPARE(view->toPlainText(), QStringLiteral("xa{b}\n#c&d?\\ y"));
    }

    // A script without what a dialog lists: the message, under the editor's caption, and no text.
    void MissingStatementsAreReported() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView* view = Show(frame, "\t|");
        for (int id : {32773, 32847, 32807})
            frame.Command(id)->trigger();
        QCOMPARE(WithCaret(*view), QStringLiteral("\t|"));
        QCOMPARE(f.prompts.messages.size(), std::size_t(3));
        QCOMPARE(f.prompts.messages[0].text,
                 QStringLiteral("You need to insert a Database Connection in your script first."));
        QCOMPARE(f.prompts.messages[1].text,
                 QStringLiteral("You need to define a user variable before you can use it."));
        QCOMPARE(f.prompts.messages[2].text,
                 QStringLiteral("You need to include a subroutine in your script before you can "
                                "add a gosub."));
        QCOMPARE(f.prompts.messages[2].caption, QStringLiteral("Tolvane"));
    }

    // The context menu's two insert items, the keys and the HTML toolbar reach the commands.
    void ContextMenuKeysAndToolbarRunTheCommands() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView* view = Show(frame, Script());
        QStringList items;
        QTimer::singleShot(0, [&items] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            for (QAction* action : menu->actions())
                if (!action->isSeparator()) items << action->text();
            WhenModal(
                "169", [](QDialog& dialog) { Activate(dialog, "1008", "?count?"); }, QString());
            menu->hide();
            menu->findChild<QAction*>("32847")->trigger();
        });
        const QPoint at(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &event);
        QCOMPARE(items, QStringList({"Undo", "Cut", "Copy", "Paste", "Select All",
                                     "Insert Database Data", "Insert User Variable"}));
        QCOMPARE(WithCaret(*view), Script("?count?|"));

        QApplication::setActiveWindow(&frame);
        view->setFocus();
        WhenModal("170", TypeAndOk("1003", "k"), QString());
        QTest::keyClick(view, Qt::Key_U, Qt::AltModifier);
        QCOMPARE(WithCaret(*view), Script("?count?&defvar(?k?)\n\t\t|"));

        // The HTML toolbar: a tag with a dialog asks in it, the others go in directly.
        view->selectAll();
        WhenModal(
            "152", [](QDialog& dialog) { Activate(dialog, "1008", "index.html"); }, QString());
        ToolbarTag(frame, "<A HREF=\"\">")->trigger();
        ToolbarTag(frame, "<U>")->trigger();
        QCOMPARE(WithCaret(*view), QStringLiteral("<A HREF=\"index.html\"><U>|</U></A>"));
    }

    // A page built with the menus (connection to a database file, page, recordset, field) runs
    // through quarn and writes the field of every row.
    void AScriptBuiltThroughTheMenusRuns() {
        const fixtures::QuarnProgramDir quarn(QUARN_BINARY);
        QVERIFY2(quarn.Ok(), quarn.Error().c_str());

        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView* view = Show(frame, "|");
        Trigger(frame, 32771, "datacon", ConnectToFile(m_shop.Path()));
        Trigger(frame, 32787, "141", TypeAndOk("1003", "kinds.html"));
        Trigger(frame, 32772, "142", [](QDialog& dialog) {
            ChooseRow(dialog, "1002", "Kinds");
            PressOk(dialog);
        });
        Trigger(frame, 32773, "143", [](QDialog& dialog) {
            ChooseRow(dialog, "1002", "Kind");
            PressOk(dialog);
        });
        QVERIFY(f.prompts.messages.empty());
        std::string error;
        QVERIFY(fixtures::WriteTextFile(quarn.Project("menus.scp"), view->WholeText(), &error));
        std::string output;
        QCOMPARE(quarn.RunScript("menus.scp", &output), 0);
        QVERIFY2(output.ends_with("Script execution complete.\n"),
                 (view->WholeText() + output).c_str());
        QString page = QString::fromStdString(
            fixtures::ReadTextFile(quarn.Project("html/kinds.html")).value_or("<no page>"));
        page.remove(QLatin1Char('\r')).remove(QLatin1Char('\t'));
        QCOMPARE(page.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({"Tools", "Garden"}));
    }
};

QUARN_QT_TEST(UiInsertCommandsTest)
#include "insert_commands_test.moc"

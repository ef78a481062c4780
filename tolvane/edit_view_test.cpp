#include "tolvane/edit_view.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <filesystem>

#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/quarn_program_dir.h"
#include "tolvane/goto_line_dlg.h"
#include "tolvane/tolvane_test_support.h"
#include "tolvane/tool_windows.h"

namespace {

// Puts the caret (and anchor) at a position of the view's text.
void Select(CEdView& view, int anchor, int position) {
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
}

QString Text(const CEdView& view) {
    return QString::fromStdString(view.WholeText());
}

}  // namespace

class UiEditViewTest : public QObject {
    Q_OBJECT
private slots:
    void TabIndentsAndShiftTabOutdentsWholeLines() {
        TolvaneFixture f;
        CEdView& view = *f.Frame().NewDocument();
        view.setPlainText(QStringLiteral("one\n\ttwo\nthree\nfour"));
        Select(view, 1, 10);  // from inside "one" to inside "three"
        QTest::keyClick(&view, Qt::Key_Tab);
        QCOMPARE(Text(view), QStringLiteral("\tone\n\t\ttwo\n\tthree\nfour"));
        QCOMPARE(view.textCursor().selectedText(),
                 QStringLiteral("\tone\u2029\t\ttwo\u2029\tthree"));
        QTest::keyClick(&view, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(Text(view), QStringLiteral("one\n\ttwo\nthree\nfour"));
        QCOMPARE(view.textCursor().selectedText(), QStringLiteral("one\u2029\ttwo\u2029three"));
        view.undo();
        QCOMPARE(Text(view), QStringLiteral("\tone\n\t\ttwo\n\tthree\nfour"));

        // Shift+Tab without a selection takes a TAB just before the caret, nothing else.
        view.setPlainText(QStringLiteral("\t\tx"));
        Select(view, 2, 2);
        QTest::keyClick(&view, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(Text(view), QStringLiteral("\tx"));
        view.moveCursor(QTextCursor::End);
        QTest::keyClick(&view, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(Text(view), QStringLiteral("\tx"));
    }

    void AutoTabIndentsNewLinesAndClosingBraces() {
        TolvaneFixture f;
        CEdView& view = *f.Frame().NewDocument();
        view.setPlainText(QStringLiteral("\t\t&if(?a?==1){"));
        view.moveCursor(QTextCursor::End);
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(Text(view), QStringLiteral("\t\t&if(?a?==1){\n\t\t\t"));
        QTest::keyClicks(&view, QStringLiteral("x"));
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(Text(view), QStringLiteral("\t\t&if(?a?==1){\n\t\t\tx\n\t\t\t"));
        QTest::keyClicks(&view, QStringLiteral("}"));
        QCOMPARE(Text(view), QStringLiteral("\t\t&if(?a?==1){\n\t\t\tx\n\t\t}"));
        // Not after a TAB: typed as it is.
        QTest::keyClicks(&view, QStringLiteral("}"));
        QCOMPARE(Text(view), QStringLiteral("\t\t&if(?a?==1){\n\t\t\tx\n\t\t}}"));

        QVERIFY(f.settings.WriteInt("tolvane", "autotab", 0));
        view.setPlainText(QStringLiteral("\t{"));
        view.moveCursor(QTextCursor::End);
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(Text(view), QStringLiteral("\t{\n"));
    }

    void TagsAndFunctionsFromTheToolWindows() {
        TolvaneFixture f;
        CEdView& view = *f.Frame().NewDocument();
        const auto doubleClick = [](CToolListWnd* window, const QString& text) {
            const QList<QListWidgetItem*> items = window->List()->findItems(text, Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            emit window->List()->itemDoubleClicked(items.front());
        };
        doubleClick(f.Frame().HtmlTagsWnd(), QStringLiteral("<TABLE>"));
        QCOMPARE(Text(view), QStringLiteral("<TABLE></TABLE>"));
        QCOMPARE(view.textCursor().position(), 7);
        doubleClick(f.Frame().ScriptFuncWnd(), QStringLiteral("&if()"));
        QCOMPARE(Text(view), QStringLiteral("<TABLE>&if()</TABLE>"));
        QCOMPARE(view.textCursor().position(), 11);
        doubleClick(f.Frame().ScriptFuncWnd(), QStringLiteral("&nextrow"));
        QCOMPARE(Text(view), QStringLiteral("<TABLE>&if(&nextrow)</TABLE>"));
        QCOMPARE(view.textCursor().position(), 19);
        doubleClick(f.Frame().HtmlTagsWnd(), QStringLiteral("<FRAMESET>"));
        QCOMPARE(Text(view), QStringLiteral("<TABLE>&if(&nextrow<FRAMESET>)</TABLE>"));

        QVERIFY(f.settings.WriteInt("tolvane", "openclosehtml", 0));
        view.setPlainText(QString());
        view.InsertHtmlTag(QStringLiteral("<B>"), false);
        view.InsertHtmlTag(QStringLiteral("<B>"), true);
        QCOMPARE(Text(view), QStringLiteral("<B></B>"));
        QCOMPARE(view.textCursor().position(), 7);
        view.undo();
        QCOMPARE(Text(view), QStringLiteral("<B>"));
    }

    // The caret offset counts UTF-8 bytes with CR LF line ends; the document counts UTF-16 units
    // and one per line break.
    void ApplyInsertPutsTheCaretAtItsByteOffset() {
        TolvaneFixture f;
        CEdView& view = *f.Frame().NewDocument();
        const struct {
            const char* name;
            std::string text;
            std::size_t caret;
            QString expected;  // "|" where the caret ends, the selection "ab" replaced
        } cases[] = {
            {"CR LF", "{\r\n\t\r\n}", 4, QStringLiteral("x{\n\t|\n}y")},
            {"two, three and four bytes", "\xc3\xa9\xe2\x82\xac\xf0\x9d\x84\x9e\r\nz", 11,
             QStringLiteral("x\u00e9\u20ac\U0001D11E\n|zy")},
            {"caret at the very end", "\xc3\xa9\r\n", 4, QStringLiteral("x\u00e9\n|y")},
            {"caret at the start", "\xc3\xa9", 0, QStringLiteral("x|\u00e9y")},
        };
        for (const auto& c : cases) {
            view.setPlainText(QStringLiteral("xaby"));
            Select(view, 1, 3);
            view.ApplyInsert({c.text, c.caret});
            QString shown = Text(view);
            shown.insert(view.textCursor().position(), QLatin1Char('|'));
            QVERIFY2(shown == c.expected, c.name);
            view.undo();
            QVERIFY2(Text(view) == QStringLiteral("xaby"), c.name);
        }
    }

    void GotoLineAsksForALineAndSelectsIt() {
        TolvaneFixture f;
        CEdView& view = *f.Frame().NewDocument();
        view.setPlainText(QStringLiteral("a\nbb\nccc\ndddd"));
        // The field opens with the last number, selected and with the focus.
        const auto gotoLine = [&](const QString& number, const QString& shown) {
            AnswerModal(
                [&](QWidget* dialog) {
                    QCOMPARE(dialog->windowTitle(), QStringLiteral("Tolvane"));
                    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("1003"));
                    QVERIFY(edit);
                    QCOMPARE(edit->text(), shown);
                    QCOMPARE(edit->selectedText(), shown);
                    QCOMPARE(dialog->focusWidget(), edit);
                    edit->setText(number);
                    qobject_cast<QDialog*>(dialog)->accept();
                },
                [&] { f.Frame().Command(32783)->trigger(); });
        };
        gotoLine(QStringLiteral("3"), QStringLiteral("1"));
        QCOMPARE(view.textCursor().selectedText(), QStringLiteral("ccc"));
        gotoLine(QStringLiteral("99"), QStringLiteral("3"));
        QCOMPARE(view.textCursor().selectedText(), QStringLiteral("dddd"));
        // Go Back returns to line 3, and again to line 4.
        f.Frame().Command(32793)->trigger();
        QCOMPARE(view.textCursor().selectedText(), QStringLiteral("ccc"));
        f.Frame().Command(32793)->trigger();
        QCOMPARE(view.textCursor().selectedText(), QStringLiteral("dddd"));

        CGotoLineDlg dialog(3);
        SaveScreenshot(dialog, QStringLiteral("tolvane_goto_line"));
    }

    void BookmarkAndEmptyMemories() {
        TolvaneFixture f;
        CEdView& view = *f.Frame().NewDocument();
        view.setPlainText(QStringLiteral("a\nb\nc"));
        f.Frame().Command(32791)->trigger();
        f.Frame().Command(32793)->trigger();
        QCOMPARE(f.prompts.messages.size(), size_t{2});
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("The bookmark is empty"));
        QCOMPARE(f.prompts.messages[1].text, QStringLiteral("The \"Back\" memory is empty"));
        QVERIFY(f.prompts.messages[1].icon == IEdPrompts::Icon::kInformation);
        view.moveCursor(QTextCursor::End);
        f.Frame().Command(32790)->trigger();
        QCOMPARE(f.Frame().statusBar()->currentMessage(), QStringLiteral("Bookmark set to line 3"));
        view.moveCursor(QTextCursor::Start);
        f.Frame().Command(32791)->trigger();
        QCOMPARE(view.textCursor().selectedText(), QStringLiteral("c"));
        QCOMPARE(f.Frame().LinePane()->text(), QStringLiteral("Ln 3"));
    }

    // quarn fails in an included file at its line 2 and records it; Goto Error selects that line.
    void GotoErrorAfterARealQuarnRun() {
        fixtures::QuarnProgramDir quarn(QUARN_BINARY);
        QVERIFY2(quarn.Ok(), quarn.Error().c_str());
        std::filesystem::create_directories(quarn.Project("parts"));
        QVERIFY(fixtures::WriteTextFile(
            quarn.Project("Script1.scp"),
            "&html(\"index.html\"){\n<h1>Head</h1>\n&include(\"parts/footer.inc\")\n}\n", nullptr));
        QVERIFY(fixtures::WriteTextFile(quarn.Project("parts/footer.inc"),
                                        "<footer>\n&nosuchpart()\n</footer>\n", nullptr));
        TolvaneFixture f(quarn.Path() + "/Quarn.ini");
        CEdView* view =
            f.Frame().OpenDocument(QString::fromStdString(quarn.Project("parts/footer.inc")));
        QVERIFY(view);
        f.Frame().Command(32788)->trigger();
        QCOMPARE(f.prompts.messages.size(), size_t{1});
        QCOMPARE(f.prompts.messages[0].text,
                 QStringLiteral("Previous script terminated without errors"));

        std::string output;
        QCOMPARE(quarn.RunScript("Script1.scp", &output), 1);
        QCOMPARE(f.settings.GetInt("global", "lasterrorline", -1), 2);
        f.Frame().Command(32788)->trigger();
        QCOMPARE(view->textCursor().selectedText(), QStringLiteral("&nosuchpart()"));
        QCOMPARE(f.Frame().LinePane()->text(), QStringLiteral("Ln 2"));
    }

    // Opened, one line edited with the keyboard, saved: every other byte as it was.
    void SavedFilesKeepTheirBytes() {
        const std::string tail = "\x01\x7f\x80\xfe\xff\r\x0b\x0c\xa0 \r\r\n\n\x1b[0m\xc3";
        const struct {
            const char* name;
            std::string bytes;
            std::string expected;
        } cases[] = {
            {"crlf", "first\r\n\tsecond\r\nthird\r\n", "first\r\nX\tsecond\r\nthird\r\n"},
            {"lf", "first\n\tsecond\nthird", "first\nX\tsecond\nthird"},
            {"latin1", "caf\xe9\r\n\xff\tsecond\r\n\xe9t\xe9",
             "caf\xe9\r\nX\xff\tsecond\r\n\xe9t\xe9"},
            {"tail", "first\n\tsecond\n" + tail, "first\nX\tsecond\n" + tail},
        };
        for (const auto& c : cases) {
            TolvaneFixture f;
            const std::string name = std::string(c.name) + ".scp";
            f.Put(name, c.bytes);
            CEdView* view = f.Frame().OpenDocument(QString::fromStdString(f.File(name)));
            QVERIFY(view);
            QVERIFY(!view->document()->isModified());
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClick(view, Qt::Key_Home);
            QTest::keyClicks(view, QStringLiteral("X"));
            f.Frame().Command(57603)->trigger();
            QVERIFY2(f.prompts.messages.empty(), c.name);
            QVERIFY2(fixtures::ReadTextFile(f.File(name)) == c.expected, c.name);
        }
    }

    void ClipboardCarriesPlainTextOnly() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        CEdView& view = *frame.NewDocument();
        QClipboard* clipboard = QGuiApplication::clipboard();
        view.setPlainText(QStringLiteral("ab\ncd"));
        Select(view, 1, 4);
        frame.Command(57634)->trigger();
        QCOMPARE(clipboard->mimeData()->formats(), QStringList{"text/plain"});
        QCOMPARE(clipboard->text(), QStringLiteral("b\nc"));
        QVERIFY(frame.Command(57637)->isEnabled());
        frame.Command(57635)->trigger();
        QCOMPARE(Text(view), QStringLiteral("ad"));

        // Data without plain text cannot be pasted, by the command or by a drop.
        auto* html = new QMimeData;
        html->setHtml(QStringLiteral("<b>x</b>"));
        clipboard->setMimeData(html);
        QVERIFY(!frame.Command(57637)->isEnabled());
        QVERIFY(!view.canPaste());
        clipboard->setText(QStringLiteral("x"));
        QVERIFY(frame.Command(57637)->isEnabled());
        frame.Command(57637)->trigger();
        QCOMPARE(Text(view), QStringLiteral("axd"));

        // No editor view, no Paste.
        frame.MdiArea()->closeAllSubWindows();
        QTest::qWait(0);
        QVERIFY(!frame.Command(57637)->isEnabled());
        clipboard->clear();
    }

    void StatementsOfTheView() {
        TolvaneFixture f;
        CEdView& view = *f.Frame().NewDocument();
        view.setPlainText(
            QStringLiteral("&html(\"a.html\"){\n# &html(\"b.html\")\n}\n&html (\"c\")"));
        view.CollectStatements("&html");
        QCOMPARE(view.Statements(),
                 (std::vector<std::string>{"&html(\"a.html\")", "&html (\"c\")"}));
    }
};

QUARN_QT_TEST(UiEditViewTest)
#include "edit_view_test.moc"

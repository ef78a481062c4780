#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/tab_order.h"
#include "tolvane/edit_view.h"
#include "tolvane/find_command.h"
#include "tolvane/find_replace_dlg.h"
#include "tolvane/tolvane_test_support.h"

namespace {

constexpr int kFind = 57636;
constexpr int kFindNext = 57639;
constexpr int kReplace = 57638;

// A frame with one view holding `text`, the caret at its start.
struct FindFrame {
    TolvaneFixture q;
    CMainFrame& frame;
    CEdView& view;

    explicit FindFrame(const QString& text) : frame(q.Frame()), view(*frame.NewDocument()) {
        view.setPlainText(text);
        view.moveCursor(QTextCursor::Start);
    }
    CFindReplaceDlg& Open(int command) {
        frame.Command(command)->trigger();
        CFindReplaceDlg* dialog = frame.FindCommand()->Dialog();
        [&] { QVERIFY(dialog && dialog->isVisible()); }();
        return *dialog;
    }
    template <class T>
    T* Control(const char* id) const {
        return frame.FindCommand()->Dialog()->findChild<T*>(QString::fromLatin1(id));
    }
    void Press(const char* id) const { Control<QPushButton>(id)->click(); }
    // The selection as (start, selected text).
    std::pair<int, QString> Selection() const {
        return {view.textCursor().selectionStart(), view.textCursor().selectedText()};
    }
    QStringList Messages() const {
        QStringList texts;
        for (const auto& message : q.prompts.messages)
            texts << message.text;
        return texts;
    }
};

using Sel = std::pair<int, QString>;

}  // namespace

class UiFindReplaceTest : public QObject {
    Q_OBJECT
private slots:
    void FindSearchesDownAndUpWithTheOptions() {
        FindFrame f(QStringLiteral("one Two two\ntwo twofold\nlast"));
        CFindReplaceDlg& dialog = f.Open(kFind);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Find"));
        QVERIFY(!dialog.isModal());
        // The buttons act on the frame's view while the dialog has the focus.
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(!f.Control<QPushButton>("1")->isEnabled());
        f.Control<QLineEdit>("1152")->setText(QStringLiteral("two"));
        QVERIFY(f.Control<QRadioButton>("1057")->isChecked());
        SaveScreenshot(dialog, QStringLiteral("tolvane_find_dlg"));

        f.Press("1");
        QCOMPARE(f.Selection(), Sel(4, "Two"));
        f.Press("1");
        QCOMPARE(f.Selection(), Sel(8, "two"));
        f.Control<QCheckBox>("1040")->setChecked(true);
        f.Press("1");
        QCOMPARE(f.Selection(), Sel(12, "two"));
        QCOMPARE(f.frame.LinePane()->text(), QStringLiteral("Ln 2"));
        // "twofold" is no whole word: nothing further down.
        f.Press("1");
        QCOMPARE(f.Messages(), QStringList{"Cannot find \"two\""});
        QCOMPARE(f.Selection(), Sel(12, "two"));

        // Up, with the case matched: from the selection's start back.
        f.Control<QRadioButton>("1056")->setChecked(true);
        f.Control<QCheckBox>("1041")->setChecked(true);
        f.Press("1");
        QCOMPARE(f.Selection(), Sel(8, "two"));
        // F3 repeats the last search with its options, after Cancel too.
        f.Press("2");
        QVERIFY(!dialog.isVisible());
        f.frame.Command(kFindNext)->trigger();
        QCOMPARE(f.Messages().size(), 2);
        QCOMPARE(f.Selection(), Sel(8, "two"));
        f.view.moveCursor(QTextCursor::End);
        f.frame.Command(kFindNext)->trigger();
        QCOMPARE(f.Selection(), Sel(12, "two"));
        QCOMPARE(f.view.toPlainText(), QStringLiteral("one Two two\ntwo twofold\nlast"));
    }

    void FindStartsFromTheSelectionAndFindNextWithoutASearchOpensFind() {
        FindFrame f(QStringLiteral("alpha beta\nalpha"));
        f.frame.Command(kFindNext)->trigger();
        QVERIFY(f.q.prompts.messages.empty());
        CFindReplaceDlg& dialog = *f.frame.FindCommand()->Dialog();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.GetMode(), CFindReplaceDlg::Mode::kFind);
        QCOMPARE(dialog.What(), QString());
        dialog.close();

        // A selection within one line becomes the text to find; one across lines does not.
        QTextCursor cursor = f.view.textCursor();
        cursor.setPosition(0);
        cursor.setPosition(5, QTextCursor::KeepAnchor);
        f.view.setTextCursor(cursor);
        QCOMPARE(f.Open(kFind).What(), QStringLiteral("alpha"));
        f.Press("1");
        QCOMPARE(f.Selection(), Sel(11, "alpha"));
        f.view.selectAll();
        QCOMPARE(f.Open(kFind).What(), QStringLiteral("alpha"));
    }

    void ReplaceReplacesTheMatchThenFindsTheNext() {
        FindFrame f(QStringLiteral("&html(\"a\"){x}\n&HTML(\"b\"){y}\n&htmlx"));
        f.Open(kFind);
        f.Control<QLineEdit>("1152")->setText(QStringLiteral("&html"));
        f.Control<QRadioButton>("1056")->setChecked(true);
        CFindReplaceDlg& dialog = f.Open(kReplace);
        // One dialog at a time; the search goes over to the new one.
        QCOMPARE(dialog.GetMode(), CFindReplaceDlg::Mode::kReplace);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Replace"));
        QCOMPARE(dialog.What(), QStringLiteral("&html"));
        QVERIFY(!f.Control<QRadioButton>("1056"));
        f.Control<QLineEdit>("1153")->setText(QStringLiteral("&page"));
        f.Control<QCheckBox>("1040")->setChecked(true);
        SaveScreenshot(dialog, QStringLiteral("tolvane_replace_dlg"));

        // The selection is no match yet: Replace only finds (downwards, whatever Find had).
        f.Press("1024");
        QCOMPARE(f.Selection(), Sel(0, "&html"));
        QCOMPARE(f.view.toPlainText().left(5), QStringLiteral("&html"));
        f.Press("1024");
        QCOMPARE(f.view.toPlainText(), QStringLiteral("&page(\"a\"){x}\n&HTML(\"b\"){y}\n&htmlx"));
        QCOMPARE(f.Selection(), Sel(14, "&HTML"));
        f.Press("1024");
        QCOMPARE(f.view.toPlainText(), QStringLiteral("&page(\"a\"){x}\n&page(\"b\"){y}\n&htmlx"));
        QCOMPARE(f.Messages(), QStringList{"Cannot find \"&html\""});
        f.view.undo();
        QCOMPARE(f.view.toPlainText(), QStringLiteral("&page(\"a\"){x}\n&HTML(\"b\"){y}\n&htmlx"));
    }

    // Tab from the search text goes to the replacement, and on in the order the controls stand.
    void TabFollowsTheControlsPlaces() {
        FindFrame f(QStringLiteral("text"));
        QCOMPARE(fixtures::TabOrderProblem(f.Open(kFind)), QString());
        CFindReplaceDlg& dialog = f.Open(kReplace);
        QCOMPARE(fixtures::TabOrderProblem(dialog), QString());
        f.Control<QLineEdit>("1152")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.Control<QLineEdit>("1153"));
    }

    void ReplaceAllIsOneUndoStep() {
        const QString text = QStringLiteral("Tab\ttab TAB\ntable tab");
        FindFrame f(text);
        f.view.moveCursor(QTextCursor::End);
        f.Open(kReplace);
        f.Control<QLineEdit>("1152")->setText(QStringLiteral("tab"));
        f.Control<QLineEdit>("1153")->setText(QStringLiteral("column"));
        f.Control<QCheckBox>("1040")->setChecked(true);
        f.Press("1025");
        // The whole text, wherever the caret stood.
        QCOMPARE(f.view.toPlainText(), QStringLiteral("column\tcolumn column\ntable column"));
        QVERIFY(f.Messages().isEmpty());
        f.view.undo();
        QCOMPARE(f.view.toPlainText(), text);

        // Replacing by nothing, with the case matched.
        f.Control<QCheckBox>("1040")->setChecked(false);
        f.Control<QCheckBox>("1041")->setChecked(true);
        f.Control<QLineEdit>("1153")->clear();
        f.Press("1025");
        QCOMPARE(f.view.toPlainText(), QStringLiteral("Tab\t TAB\nle "));
        // A replacement that holds the text found is not searched again.
        f.Control<QLineEdit>("1152")->setText(QStringLiteral("TAB"));
        f.Control<QLineEdit>("1153")->setText(QStringLiteral("TAB TAB"));
        f.Press("1025");
        QCOMPARE(f.view.toPlainText(), QStringLiteral("Tab\t TAB TAB\nle "));
        f.Control<QLineEdit>("1152")->setText(QStringLiteral("nowhere"));
        f.Press("1025");
        QCOMPARE(f.Messages(), QStringList{"Cannot find \"nowhere\""});
        QCOMPARE(f.view.toPlainText(), QStringLiteral("Tab\t TAB TAB\nle "));

        // Several matches, each replaced by text that holds it: one undo takes them all back.
        f.view.setPlainText(QStringLiteral("TAB x TAB\nTAB"));
        f.Control<QLineEdit>("1152")->setText(QStringLiteral("TAB"));
        f.Control<QLineEdit>("1153")->setText(QStringLiteral("<TAB>"));
        f.Press("1025");
        QCOMPARE(f.view.toPlainText(), QStringLiteral("<TAB> x <TAB>\n<TAB>"));
        f.view.undo();
        QCOMPARE(f.view.toPlainText(), QStringLiteral("TAB x TAB\nTAB"));
    }

    void CommandsNeedAnEditorView() {
        TolvaneFixture q;
        CMainFrame& frame = q.Frame();
        for (int id : {kFind, kFindNext, kReplace})
            QVERIFY(!frame.Command(id)->isEnabled());
        frame.NewDocument();
        const std::pair<int, QKeySequence> keys[] = {
            {kFind, QKeySequence(Qt::CTRL | Qt::Key_F)},
            {kFindNext, QKeySequence(Qt::Key_F3)},
            {kReplace, QKeySequence(Qt::CTRL | Qt::Key_H)}};
        for (const auto& [id, key] : keys) {
            QVERIFY(frame.Command(id)->isEnabled());
            QCOMPARE(frame.Command(id)->shortcut(), key);
        }
    }
};

QUARN_QT_TEST(UiFindReplaceTest)
#include "find_replace_test.moc"

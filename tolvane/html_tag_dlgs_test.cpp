#include "tolvane/html_tag_dlgs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>

#include "tests/fixtures/tab_order.h"
#include "tolvane/dialog_test_support.h"
#include "tolvane/wizard_test_support.h"

namespace {

// Answers the modal dialog the command opens with `fill`, then presses OK (or Cancel).
void AnswerNextDialog(std::function<void(QDialog&)> fill, bool ok = true) {
    QTimer::singleShot(0, [fill, ok] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        fill(*dialog);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                          Qt::LeftButton);
    });
}

}  // namespace

class HtmlTagDlgsTest : public QObject {
    Q_OBJECT
private slots:
    // Tab walks each tag dialog in the order its controls stand.
    void TabFollowsThePlaces() {
        const std::function<void()> commands[] = {
            [] { RunFontTagCommand(nullptr, false); },
            [] { RunImageTagCommand(nullptr); },
            [] { RunHyperlinkCommand(nullptr, false, {}); },
            [] { RunTableCommand(nullptr, {}); },
        };
        QStringList problems;
        for (const auto& command : commands) {
            AnswerNextDialog(
                [&problems](QDialog& d) {
                    if (const QString problem = fixtures::TabOrderProblem(d); !problem.isEmpty())
                        problems << problem;
                },
                false);
            command();
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }

    void FontTagByAnswers() {
        const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
            {"", "#ff0000", "", "<FONT COLOR=\"\\#ff0000\">"},
            {"", "red", "", "<FONT COLOR=\"red\">"},
            {"Arial", "", "+1", "<FONT FACE=\"Arial\" SIZE=\"+1\">"},
            {"", "", "", "<FONT>"},
        };
        for (const auto& [face, color, size, tag] : cases) {
            AnswerNextDialog([face, color, size](QDialog& d) {
                QCOMPARE(d.windowTitle(), QString("Insert Font Tag"));
                QCOMPARE(Control<QLineEdit>(d, "1004")->toolTip(),
                         QString("Font color (leave blank if not required)"));
                Type(d, "1003", face);
                Type(d, "1004", color);
                Type(d, "1005", size);
                SaveScreenshot(d, "html_tag_font_161");
            });
            QCOMPARE(RunFontTagCommand(nullptr, false), std::optional<std::string>(tag));
        }
        // Shift opens no dialog; Cancel writes nothing.
        QCOMPARE(RunFontTagCommand(nullptr, true), std::optional<std::string>("<FONT>"));
        AnswerNextDialog([](QDialog& d) { Type(d, "1003", "Arial"); }, false);
        QCOMPARE(RunFontTagCommand(nullptr, false), std::nullopt);
    }

    void ImageTagByAlignment() {
        const std::tuple<const char*, const char*, const char*> cases[] = {
            {"1016", "", "<IMG SRC=\"logo.gif\">"},
            {"1017", "", "<IMG SRC=\"logo.gif\" ALIGN=LEFT>"},
            {"1018", "", "<IMG SRC=\"logo.gif\" ALIGN=RIGHT>"},
            {"1019", "", "<IMG SRC=\"logo.gif\" ALIGN=TOP>"},
            {"1000", "", "<IMG SRC=\"logo.gif\" ALIGN=MIDDLE>"},
            {"1001", "Our #1 ?x? & \"B\"",
             "<IMG SRC=\"logo.gif\" ALIGN=BOTTOM ALT=\"Our \\#1 \\?x\\? \\& \\\"B\\\"\">"},
        };
        for (const auto& [align, alt, tag] : cases) {
            AnswerNextDialog([align, alt](QDialog& d) {
                QCOMPARE(d.windowTitle(), QString("Insert Image Tag"));
                QVERIFY(Control<QRadioButton>(d, "1016")->isChecked());
                QCOMPARE(d.focusWidget(), Control<QWidget>(d, "1003"));
                Type(d, "1003", "logo.gif");
                Type(d, "1004", alt);
                Control<QRadioButton>(d, align)->click();
                SaveScreenshot(d, "html_tag_img_153");
            });
            QCOMPARE(RunImageTagCommand(nullptr), std::optional<std::string>(tag));
        }
    }

    void HyperlinkListsTheScriptsPages() {
        const StatementCollector collect = CollectorOf(
            {{"&html", {"&html(\"index.html\")", "&html(\"content?rownumber?.html\")"}}});
        AnswerNextDialog([](QDialog& d) {
            QCOMPARE(d.windowTitle(), QString("Insert Hyperlink"));
            auto* url = Control<QComboBox>(d, "1008");
            QCOMPARE(url->count(), 2);
            QCOMPARE(url->itemText(0), QString("content?rownumber?.html"));
            QCOMPARE(url->currentIndex(), 0);
            QCOMPARE(url->toolTip(), QString("Enter a URL or select one from the list"));
            SaveScreenshot(d, "html_tag_a_152");
        });
        QCOMPARE(RunHyperlinkCommand(nullptr, false, ContextOf(collect)),
                 std::optional<std::string>("<A HREF=\"content?rownumber?.html\">"));
        AnswerNextDialog([](QDialog& d) {
            auto* url = Control<QComboBox>(d, "1008");
            url->setEditText("page.html#top");
        });
        QCOMPARE(RunHyperlinkCommand(nullptr, false, ContextOf(collect)),
                 std::optional<std::string>("<A HREF=\"page.html\\#top\">"));
        // Choosing an entry from the list ends the dialog at once.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            auto* url = Control<QComboBox>(*dialog, "1008");
            url->setCurrentIndex(1);
            emit url->activated(1);
        });
        QCOMPARE(RunHyperlinkCommand(nullptr, false, ContextOf(collect)),
                 std::optional<std::string>("<A HREF=\"index.html\">"));
        QCOMPARE(RunHyperlinkCommand(nullptr, true, ContextOf(collect)),
                 std::optional<std::string>("<A>"));
    }

    void TableAtTheCaretIndent() {
        AnswerNextDialog([](QDialog& d) {
            QCOMPARE(d.windowTitle(), QString("Insert Table"));
            QCOMPARE(Control<QSpinBox>(d, "1021")->value(), 2);
            QCOMPARE(Control<QSpinBox>(d, "1012")->value(), 2);
            QCOMPARE(Control<QSpinBox>(d, "1012")->maximum(), 1000);
            Type(d, "1028", "1");
            Control<QSpinBox>(d, "1021")->setValue(3);
            SaveScreenshot(d, "html_tag_table_172");
        });
        const std::optional<InsertResult> table = RunTableCommand(nullptr, ContextOf({}, 2, true));
        QVERIFY(table);
        const std::string row = "<TR>\r\n\t\t";
        std::string cells;
        for (int i = 0; i < 3; ++i)
            cells += "<TD></TD>\r\n\t\t";
        const std::string expected = "<TABLE BORDER=\"1\">\r\n\t\t" + row + cells +
                                     "</TR>\r\n\t\t" + row + cells + "</TR>\r\n\t\t" +
                                     "</TABLE>\r\n\t\t";
        QCOMPARE(table->text, expected);
        QCOMPARE(table->caret, expected.size());
        AnswerNextDialog([](QDialog& d) { Control<QSpinBox>(d, "1012")->setValue(0); });
        QCOMPARE(RunTableCommand(nullptr, ContextOf({}, 0, true))->text,
                 std::string("<TABLE>\r\n</TABLE>\r\n"));
    }
};

QUARN_QT_TEST(HtmlTagDlgsTest)
#include "html_tag_dlgs_test.moc"

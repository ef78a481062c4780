#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>

#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/run_command.h"
#include "tests/fixtures/tab_order.h"
#include "tolvane/edit_view.h"
#include "tolvane/print_command.h"
#include "tolvane/tolvane_test_support.h"
#include "tolvane/tool_windows.h"

namespace {

constexpr int kPrint = 57607;
constexpr int kPrintPreview = 57609;
constexpr int kPrintSetup = 57606;

// A script of `lines` lines, "line N" and a TAB-separated column each.
QString Script(int lines) {
    QString text;
    for (int i = 1; i <= lines; ++i)
        text += QStringLiteral("line %1\t&sql(\"SELECT %1\")\n").arg(i);
    return text;
}

void PrintToPdf(QPrinter& printer, const std::string& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
}

// The number of pages of a PDF file that Qt wrote: one page object each.
int PdfPages(const std::string& path) {
    const std::optional<std::string> pdf = fixtures::ReadTextFile(path);
    if (!pdf || pdf->rfind("%PDF-", 0) != 0) return -1;
    return static_cast<int>(
        QString::fromLatin1(*pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))));
}

// The text of a PDF file; empty when pdftotext fails.
QString PdfText(const std::string& path) {
    std::string output;
    if (fixtures::RunCommand({"pdftotext", path, "-"}, &output) != 0) return QString();
    return QString::fromStdString(output);
}

}  // namespace

class UiPrintTest : public QObject {
    Q_OBJECT
private slots:
    void PrintsTheWholeTextWithHalfInchMargins() {
        TolvaneFixture f;
        CEdView& view = *f.Frame().NewDocument();
        view.setPlainText(Script(150));
        QPrinter printer(QPrinter::HighResolution);
        PrintToPdf(printer, f.File("all.pdf"));
        QVERIFY(CPrintCommand::PrintView(view, printer));
        const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Point);
        QCOMPARE(margins, QMarginsF(36, 36, 36, 36));
        // 150 lines of 10 points do not fit on one page, nor on four.
        const int pages = PdfPages(f.File("all.pdf"));
        QVERIFY2(pages >= 2 && pages <= 4, qPrintable(QString::number(pages)));
        const QString text = PdfText(f.File("all.pdf"));
        QVERIFY(text.contains(QStringLiteral("SELECT 1\")")));
        QVERIFY(text.contains(QStringLiteral("SELECT 150\")")));

        // A page range prints those pages only.
        QPrinter range(QPrinter::HighResolution);
        PrintToPdf(range, f.File("second.pdf"));
        range.setFromTo(2, 2);
        QVERIFY(CPrintCommand::PrintView(view, range));
        QCOMPARE(PdfPages(f.File("second.pdf")), 1);

        // A printer that cannot start: a failure, nothing written.
        QPrinter nowhere(QPrinter::HighResolution);
        PrintToPdf(nowhere, f.File("missing/dir/out.pdf"));
        QVERIFY(!CPrintCommand::PrintView(view, nowhere));
    }

    void PrintCommandPrintsAfterThePrintDialog() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        QVERIFY(!frame.Command(kPrint)->isEnabled());
        QVERIFY(frame.Command(kPrintSetup)->isEnabled());
        CEdView& view = *frame.NewDocument();
        view.setPlainText(Script(3));
        QVERIFY(frame.Command(kPrint)->isEnabled());
        QCOMPARE(frame.Command(kPrint)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));

        PrintToPdf(frame.PrintCommand().Printer(), f.File("script.pdf"));
        AnswerModal(
            [](QWidget* modal) {
                auto* dialog = qobject_cast<QPrintDialog*>(modal);
                QVERIFY(dialog);
                dialog->accept();
            },
            [&] { frame.Command(kPrint)->trigger(); });
        QCOMPARE(PdfPages(f.File("script.pdf")), 1);
        QVERIFY(f.prompts.messages.empty());

        // The file cannot be written: said so.
        const std::string bad = f.File("missing/script.pdf");
        PrintToPdf(frame.PrintCommand().Printer(), bad);
        AnswerModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); },
                    [&] { frame.Command(kPrint)->trigger(); });
        QCOMPARE(f.prompts.messages.size(), std::size_t(1));
        QCOMPARE(f.prompts.messages[0].text,
                 QStringLiteral("The script could not be printed on %1.")
                     .arg(QString::fromStdString(bad)));
        QCOMPARE(f.prompts.messages[0].icon, IEdPrompts::Icon::kStop);
    }

    void PreviewCountsAsNoEditorView() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        frame.NewDocument()->setPlainText(Script(80));
        QVERIFY(frame.IsEditorViewActive());
        bool previewing = false;
        AnswerModal(
            [&](QWidget* modal) {
                QVERIFY(qobject_cast<QPrintPreviewDialog*>(modal));
                previewing = !frame.IsEditorViewActive();
                for (int id : {32857, 32858, 57636, kPrint, kPrintPreview, 57603})
                    QVERIFY(!frame.Command(id)->isEnabled());
                QVERIFY(frame.Command(kPrintSetup)->isEnabled());
                QVERIFY(!frame.ScriptFuncWnd()->isVisible());
                modal->resize(640, 480);
                SaveScreenshot(*modal, QStringLiteral("tolvane_print_preview"));
                qobject_cast<QDialog*>(modal)->reject();
            },
            [&] { frame.Command(kPrintPreview)->trigger(); });
        QVERIFY(previewing);
        QVERIFY(frame.IsEditorViewActive());
        QVERIFY(frame.Command(57636)->isEnabled());
        QVERIFY(frame.ScriptFuncWnd()->isVisible());
    }

    void PrintSetupWorksWithoutADocument() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        bool shown = false;
        AnswerModal(
            [&](QWidget* modal) {
                shown = qobject_cast<QPageSetupDialog*>(modal) != nullptr;
                SaveScreenshot(*modal, QStringLiteral("tolvane_print_setup"));
                qobject_cast<QDialog*>(modal)->reject();
            },
            [&] { frame.Command(kPrintSetup)->trigger(); });
        QVERIFY(shown);
    }

    // Tab walks the printing dialogs in the order their controls stand; in the page setup also
    // with the paper's width and height open to editing.
    void TabFollowsThePlacesInThePrintDialogs() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        frame.NewDocument()->setPlainText(Script(3));
        QStringList problems;
        const auto walk = [&problems](QWidget& dialog) {
            if (const QString problem = fixtures::TabOrderProblem(dialog); !problem.isEmpty())
                problems << QString(dialog.metaObject()->className()) + " " + problem;
        };
        for (const int command : {kPrint, kPrintPreview, kPrintSetup}) {
            AnswerModal(
                [&](QWidget* modal) {
                    walk(*modal);
                    if (command == kPrintSetup) {
                        auto* paper = modal->findChild<QComboBox*>("pageSizeCombo");
                        QVERIFY(paper != nullptr);
                        paper->setCurrentIndex(paper->findText(QStringLiteral("Custom")));
                        QVERIFY(modal->findChild<QWidget*>("pageWidth")->isEnabled());
                        walk(*modal);
                    }
                    qobject_cast<QDialog*>(modal)->reject();
                },
                [&] { frame.Command(command)->trigger(); });
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }

    void HelpCommandsShowDisabled() {
        TolvaneFixture f;
        CMainFrame& frame = f.Frame();
        frame.NewDocument();
        QCOMPARE(frame.Command(57667)->text(), QStringLiteral("&Help Topics"));
        QCOMPARE(frame.Command(57670)->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(frame.Command(57669)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
        for (int id : {57667, 57669, 57670})
            QVERIFY(!frame.Command(id)->isEnabled());
    }
};

QUARN_QT_TEST(UiPrintTest)
#include "print_command_test.moc"

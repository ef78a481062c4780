#include "tolvane/print_command.h"

#include <QAbstractTextDocumentLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <algorithm>
#include <vector>

#include "tolvane/child_frame.h"
#include "tolvane/ed_prompts.h"

namespace {

// 720 twips on every side; the page setup dialog shows them too, but printing keeps them.
const QMarginsF kMargins(36.0, 36.0, 36.0, 36.0);

// Qt's page setup form makes the paper fields before the unit box that stands above them, so Tab
// would reach the paper size last: chain them from the unit box down. A form without these
// controls is left as it is.
void TabFromTheUnitsDown(QPageSetupDialog& dialog) {
    std::vector<QWidget*> chain;
    for (const char* name : {"unitCombo", "pageSizeCombo", "pageWidth", "pageHeight"}) {
        QWidget* control = dialog.findChild<QWidget*>(QLatin1String(name));
        if (control == nullptr) return;
        chain.push_back(control);
    }
    for (std::size_t next = 1; next < chain.size(); ++next)
        QWidget::setTabOrder(chain[next - 1], chain[next]);
}

}  // namespace

CPrintCommand::CPrintCommand(IEdPrompts& prompts) : m_prompts(prompts) {}

CPrintCommand::~CPrintCommand() = default;

QPrinter& CPrintCommand::Printer() {
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setPageMargins(kMargins, QPageLayout::Point);
    }
    return *m_printer;
}

bool CPrintCommand::PrintView(const QPlainTextEdit& view, QPrinter& printer) {
    printer.setPageMargins(kMargins, QPageLayout::Point);
    // A copy laid out for the paper, at the printer's resolution.
    const std::unique_ptr<QTextDocument> copy(view.document()->clone());
    copy->setDefaultFont(view.font());
    copy->setDocumentMargin(0);
    copy->documentLayout()->setPaintDevice(&printer);
    QTextOption option = copy->defaultTextOption();
    // In the view's units: the layout scales them to the printer's resolution.
    option.setTabStopDistance(view.tabStopDistance());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    copy->setPageSize(page.size());

    const int pages = copy->pageCount();
    const int first = std::max(printer.fromPage(), 1);
    const int last = printer.toPage() > 0 ? std::min(printer.toPage(), pages) : pages;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    for (int number = first; number <= last; ++number) {
        if (number > first && !printer.newPage()) return false;
        const qreal top = (number - 1) * page.height();
        painter.save();
        painter.translate(0, -top);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, top, page.width(), page.height());
        painter.setClipRect(context.clip);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return painter.end();
}

void CPrintCommand::Print(const QPlainTextEdit& view, QPrinter& printer, QWidget* owner) {
    if (PrintView(view, printer)) return;
    const QString target =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    m_prompts.MessageBox(owner,
                         QStringLiteral("The script could not be printed on %1.").arg(target),
                         IEdPrompts::Icon::kStop);
}

void CPrintCommand::OnFilePrint(const QPlainTextEdit& view, QWidget* owner) {
    QPrintDialog dialog(&Printer(), owner);
    if (dialog.exec() == QDialog::Accepted) Print(view, Printer(), owner);
}

void CPrintCommand::OnFilePrintPreview(const QPlainTextEdit& view, CChildFrame& child,
                                       QWidget* owner) {
    QPrintPreviewDialog dialog(&Printer(), owner);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [this, &view, &dialog](QPrinter* printer) { Print(view, *printer, &dialog); });
    const QPointer<CChildFrame> previewing(&child);
    child.SetPrintPreview(true);
    dialog.exec();
    if (previewing != nullptr) previewing->SetPrintPreview(false);
}

void CPrintCommand::OnFilePrintSetup(QWidget* owner) {
    QPageSetupDialog dialog(&Printer(), owner);
    TabFromTheUnitsDown(dialog);
    dialog.exec();
}

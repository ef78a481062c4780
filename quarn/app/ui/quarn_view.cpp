#include "quarn/app/ui/quarn_view.h"

#include <QKeyEvent>
#include <QPainter>

#include "quarn/app/welcome_text.h"
#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"
#include "shared/widgets/ui_text.h"

namespace {

constexpr int kMargin = 5;
constexpr int kTextFlags = Qt::TextWordWrap | Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignTop;

}  // namespace

CQuarnView::CQuarnView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    for (const std::string& line : SplitWelcomeText(g_settings.GetGlobal(global_key::welcmsg)))
        m_lines.append(FromBytes(line));
}

void CQuarnView::AddLine(const QString& text) {
    m_lines.append(text);
    if (m_lines.size() > kMaxLines) m_lines.removeFirst();
    DropLinesThatDoNotFit();
    update();
}

void CQuarnView::Clear() {
    m_lines.clear();
    update();
}

QRect CQuarnView::TextRect() const {
    // One line more than the client area, as the last line may be cut at the bottom.
    return rect().adjusted(kMargin, 0, -kMargin, fontMetrics().height());
}

void CQuarnView::DropLinesThatDoNotFit() {
    const QRect area = TextRect();
    if (area.width() <= 0) return;
    while (m_lines.size() > 1) {
        const QRect needed =
            fontMetrics().boundingRect(area, kTextFlags, m_lines.join(QChar('\n')) + '\n');
        if (needed.height() <= area.height()) break;
        m_lines.removeFirst();
    }
}

void CQuarnView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawText(TextRect(), kTextFlags, m_lines.join(QChar('\n')));
}

void CQuarnView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    DropLinesThatDoNotFit();
}

void CQuarnView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        g_bCancelRequested = true;
        return;
    }
    QWidget::keyPressEvent(event);
}

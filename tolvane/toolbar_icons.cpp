#include "tolvane/toolbar_icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <functional>

namespace {

constexpr int kSize = 16;

QIcon Drawn(const std::function<void(QPainter&)>& draw) {
    QPixmap picture(kSize, kSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    draw(painter);
    return QIcon(picture);
}

void Page(QPainter& painter, const QRectF& rect) {
    painter.setBrush(Qt::white);
    painter.drawRect(rect);
    for (qreal y = rect.top() + 3; y < rect.bottom() - 1; y += 2)
        painter.drawLine(QPointF(rect.left() + 2, y), QPointF(rect.right() - 2, y));
}

QIcon Scissors() {
    return Drawn([](QPainter& painter) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(40, 40, 40), 1.4));
        painter.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 10.5));
        painter.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 10.5));
        painter.setPen(QPen(QColor(180, 30, 30), 1.4));
        painter.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        painter.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
    });
}

QIcon TwoPages() {
    return Drawn([](QPainter& painter) {
        Page(painter, QRectF(1.5, 1.5, 8, 10));
        Page(painter, QRectF(6.5, 4.5, 8, 10));
    });
}

QIcon Clipboard() {
    return Drawn([](QPainter& painter) {
        painter.setBrush(QColor(190, 140, 70));
        painter.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
        painter.setBrush(QColor(120, 120, 120));
        painter.drawRect(QRectF(4.5, 1.5, 4, 2));
        Page(painter, QRectF(6.5, 6.5, 8, 8));
    });
}

}  // namespace

QIcon ToolBarIcon(int id) {
    QStyle* style = QApplication::style();
    switch (id) {
        case 57600:
            return QIcon::fromTheme(QStringLiteral("document-new"),
                                    style->standardIcon(QStyle::SP_FileIcon));
        case 57601:
            return QIcon::fromTheme(QStringLiteral("document-open"),
                                    style->standardIcon(QStyle::SP_DialogOpenButton));
        case 57603:
            return QIcon::fromTheme(QStringLiteral("document-save"),
                                    style->standardIcon(QStyle::SP_DialogSaveButton));
        case 57635:
            return QIcon::fromTheme(QStringLiteral("edit-cut"), Scissors());
        case 57634:
            return QIcon::fromTheme(QStringLiteral("edit-copy"), TwoPages());
        case 57637:
            return QIcon::fromTheme(QStringLiteral("edit-paste"), Clipboard());
        case 32857:
            return QIcon::fromTheme(QStringLiteral("document-print-preview"),
                                    style->standardIcon(QStyle::SP_FileDialogContentsView));
        case 32858:
            return QIcon::fromTheme(QStringLiteral("view-refresh"),
                                    style->standardIcon(QStyle::SP_BrowserReload));
        case 57664:
            return QIcon::fromTheme(QStringLiteral("help-about"),
                                    style->standardIcon(QStyle::SP_MessageBoxInformation));
        default:
            return {};
    }
}

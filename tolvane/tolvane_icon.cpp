#include "tolvane/tolvane_icon.h"

#include <QPainter>

#include "shared/drawn_icon.h"

namespace {

const QColor kBackground(0x2e, 0x6b, 0x3a);
const QColor kPage(0xf2, 0xf7, 0xf0);
const QColor kPencil(0xf5, 0xb8, 0x41);

void DrawTolvane(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBackground);
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    painter.setBrush(kPage);
    painter.drawRoundedRect(QRectF(14, 12, 36, 42), 3, 3);

    // The script's lines, the middle two indented.
    painter.setPen(QPen(kBackground, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(20, 22), QPointF(38, 22));
    painter.drawLine(QPointF(24, 29), QPointF(42, 29));
    painter.drawLine(QPointF(24, 36), QPointF(38, 36));
    painter.drawLine(QPointF(20, 43), QPointF(30, 43));

    painter.setPen(Qt::NoPen);
    painter.setBrush(kPencil);
    painter.drawPolygon(QPolygonF(
        {QPointF(44, 40), QPointF(52, 32), QPointF(56, 36), QPointF(48, 44), QPointF(43, 45)}));
}

}  // namespace

QPixmap TolvanePicture(int size) {
    return DrawnPicture(DrawTolvane, size);
}

QIcon TolvaneIcon() {
    return DrawnIcon(DrawTolvane);
}

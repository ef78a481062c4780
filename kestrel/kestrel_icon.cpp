#include "kestrel/kestrel_icon.h"

#include <QPainter>

#include "shared/drawn_icon.h"

namespace {

void DrawKestrel(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2d, 0x6a, 0xa8));
    painter.drawRoundedRect(QRectF(0, 0, 64, 64), 10, 10);
    // Wing tip, body and wing tip, then the tail.
    painter.setBrush(QColor(0xf2, 0xa6, 0x3a));
    painter.drawPolygon(QPolygonF({QPointF(6, 24), QPointF(32, 32), QPointF(58, 18),
                                   QPointF(36, 38), QPointF(32, 50), QPointF(28, 38)}));
}

}  // namespace

QPixmap KestrelPicture(int size) {
    return DrawnPicture(DrawKestrel, size);
}

QIcon KestrelIcon() {
    return DrawnIcon(DrawKestrel);
}

#include "quarn/app/ui/quarn_icon.h"

#include <QPainter>
#include <QPainterPath>

#include "shared/drawn_icon.h"

namespace {

const QColor kBackground(0x1f, 0x5f, 0x8b);
const QColor kDatabase(0xe8, 0xf1, 0xf8);
const QColor kPages(0xf5, 0xb8, 0x41);

// The lower half of an ellipse of the database's width, from its left end to its right end.
void AddLowerRim(QPainterPath& path, double y) {
    path.cubicTo(12, y + 2.8, 17.4, y + 5, 24, y + 5);
    path.cubicTo(30.6, y + 5, 36, y + 2.8, 36, y);
}

void DrawQuarn(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBackground);
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    painter.setBrush(kDatabase);
    painter.drawEllipse(QPointF(24, 20), 12, 5);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kDatabase, 3));
    QPainterPath body(QPointF(12, 20));
    body.lineTo(12, 38);
    AddLowerRim(body, 38);
    body.lineTo(36, 20);
    QPainterPath middle(QPointF(12, 29));
    AddLowerRim(middle, 29);
    painter.drawPath(body);
    painter.drawPath(middle);

    // The arrow out of the database and the page it carries.
    painter.setPen(QPen(kPages, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(40, 34), QPointF(52, 34));
    painter.drawPolyline(QPolygonF({QPointF(46, 28), QPointF(52, 34), QPointF(46, 40)}));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPages);
    painter.drawRoundedRect(QRectF(36, 44, 18, 10), 2, 2);
}

}  // namespace

QPixmap QuarnPicture(int size) {
    return DrawnPicture(DrawQuarn, size);
}

QIcon QuarnIcon() {
    return DrawnIcon(DrawQuarn);
}

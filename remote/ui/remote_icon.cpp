#include "remote/ui/remote_icon.h"

#include <QPainter>

#include "shared/drawn_icon.h"

namespace {

void DrawRemote(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x5f, 0x8b));
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    // The remote control's body, its buttons and the signal it sends.
    painter.setBrush(QColor(0xe8, 0xf1, 0xf8));
    painter.drawRoundedRect(QRectF(14, 22, 18, 34), 4, 4);
    painter.setBrush(QColor(0xf5, 0xb8, 0x41));
    painter.drawEllipse(QRectF(18, 26, 10, 10));
    painter.setBrush(QColor(0x1f, 0x5f, 0x8b));
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            painter.drawRect(QRectF(17 + column * 8, 41 + row * 7, 4, 4));
    QPen signal(QColor(0xf5, 0xb8, 0x41), 3.5, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(signal);
    painter.setBrush(Qt::NoBrush);
    for (int arc = 0; arc < 3; ++arc) {
        const double radius = 7 + arc * 6;
        painter.drawArc(QRectF(23 - radius, 24 - radius, 2 * radius, 2 * radius), 15 * 16, 60 * 16);
    }
}

}  // namespace

QPixmap RemotePicture(int size) {
    return DrawnPicture(DrawRemote, size);
}

QIcon RemoteIcon() {
    return DrawnIcon(DrawRemote);
}

#include "shared/drawn_icon.h"

#include <QPainter>

namespace {

constexpr double kCanvas = 64.0;

}  // namespace

QPixmap DrawnPicture(PictureDrawing draw, int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    draw(painter);
    return picture;
}

QIcon DrawnIcon(PictureDrawing draw) {
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(DrawnPicture(draw, size));
    return icon;
}

#pragma once
// quarn's picture, as dist/icons/quarn.svg shows it: a database that sends its pages off. The
// window and tray icon in their usual sizes.

#include <QIcon>
#include <QPixmap>

QPixmap QuarnPicture(int size);
QIcon QuarnIcon();

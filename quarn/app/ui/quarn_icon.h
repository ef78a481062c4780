#pragma once
// quarn's picture, drawn in code as dist/icons/quarn.svg shows it (Qt here has no SVG image
// plugin): a database that sends its pages off. The window and tray icon in their usual sizes.

#include <QIcon>
#include <QPixmap>

QPixmap QuarnPicture(int size);
QIcon QuarnIcon();

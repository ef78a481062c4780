#pragma once
// tolvane's picture, as dist/icons/tolvane.svg shows it: a page of script lines and the pencil
// that writes them. The icon of every window of the program, in its usual sizes.

#include <QIcon>
#include <QPixmap>

QPixmap TolvanePicture(int size);
QIcon TolvaneIcon();

#pragma once
// kestrel's picture, as dist/icons/kestrel.svg shows it: the bird with its wings spread. The icon
// of the wizard and its message boxes, in their usual sizes.

#include <QIcon>
#include <QPixmap>

QPixmap KestrelPicture(int size);
QIcon KestrelIcon();

#pragma once
// remote's picture, drawn in code (the program ships no image files of its own): a hand-held
// remote control. The window icon in its usual sizes.

#include <QIcon>
#include <QPixmap>

QPixmap RemotePicture(int size);
QIcon RemoteIcon();

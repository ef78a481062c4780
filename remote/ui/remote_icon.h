#pragma once
// remote's picture, as dist/icons/remote.svg shows it: a hand-held remote control. The window
// icon in its usual sizes.

#include <QIcon>
#include <QPixmap>

QPixmap RemotePicture(int size);
QIcon RemoteIcon();

#pragma once
// A program's picture drawn in code (Qt here has no SVG image plugin), following the program's
// icon in dist/icons: the drawing paints on a 64 × 64 canvas, as the SVG's view box is, and is
// scaled to the size asked for. Needs a QGuiApplication, as every QPixmap does.

#include <QIcon>
#include <QPixmap>
#include <array>

class QPainter;

// Paints the picture on the 64 × 64 canvas; the painter antialiases.
using PictureDrawing = void (*)(QPainter& painter);

// The sizes a window, the task list and the desktop ask for.
inline constexpr std::array<int, 7> kIconSizes{16, 24, 32, 48, 64, 128, 256};

// The picture at `size` × `size` pixels on a transparent ground.
QPixmap DrawnPicture(PictureDrawing draw, int size);
// The picture at each of kIconSizes, so no size is scaled from another.
QIcon DrawnIcon(PictureDrawing draw);

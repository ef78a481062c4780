#pragma once

#include <QRect>

class QWidget;

// tolvane keeps its windows' places as outer rectangles, the window manager's frame included, so
// windows placed side by side from them do not overlap. A window's frame is known only once the
// window manager has framed it: until then the size is taken as the inner one, and the place is
// mended the first time the frame shows (also where the window manager chose a place of its own).
void PlaceOuter(QWidget* window, const QRect& outer);

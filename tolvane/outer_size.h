#pragma once

#include <QSize>

class QWidget;

// tolvane keeps its windows' sizes as outer sizes, the window manager's frame included, so windows
// placed side by side from them do not overlap. A window's frame is known only once the window
// manager has framed it: until then the size is taken as the inner one, and it is mended the first
// time the frame shows.
void ResizeOuter(QWidget* window, const QSize& outer);

// The window's size with its frame.
QSize OuterSize(const QWidget& window);

#pragma once
// The pictures of the Standard toolbar's buttons: the desktop theme's where it has one, else the
// style's standard picture, else one drawn here.

#include <QIcon>

// The picture of command `id` (New, Open, Save, Cut, Copy, Paste, Preview, Refresh, About); an
// empty icon for any other command.
QIcon ToolBarIcon(int id);

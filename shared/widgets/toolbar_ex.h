#pragma once
// A flat toolbar: its buttons show no edge until the mouse is over them (a raised edge then, a
// sunken one while checked or pressed), disabled buttons are drawn embossed by the style, and a
// child control (quarn's project selector) can take the place of a button. Buttons and inserted
// controls carry their command id as object name, so tests and saved layouts find them.

#include <QToolBar>

class CToolBarEx : public QToolBar {
    Q_OBJECT
public:
    // `objectName` is the bar's id: saved bar layouts know the bar by it.
    CToolBarEx(const QString& title, const QString& objectName, QWidget* parent = nullptr);

    // Adds a button for `action`; the action's object name is its command id.
    void AddButton(QAction* action);
    // Puts `control` (the bar takes it) where the button of command `id` is, `width` - 2 pixels
    // wide; a drop-down list shows at most as many entries as fit in `height` pixels. The
    // control gets `id` as object name and the bar's font. Returns 1, or 0 when the bar holds
    // no button of that id (the control is then deleted).
    int InsertControl(QWidget* control, int id, int width, int height);

    // Flat drawing is on after construction; off gives raised buttons at all times.
    void SetFlat(bool flat);

private:
    void ApplyFlat(QAction* action);

    bool m_bFlat = true;
};

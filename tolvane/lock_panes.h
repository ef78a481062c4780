#pragma once
// The Caps Lock, Num Lock and Scroll Lock panes of a status bar. Each is as wide as its text and
// shows the text while its lock is on, nothing while it is off or unknown. A timer reads the
// locks, so locks changed in other programs show too. GUI thread only.

#include <QObject>
#include <memory>

#include "platform/keyboard_locks.h"

class QLabel;
class QStatusBar;
class QTimer;

class CLockPanes : public QObject {
    Q_OBJECT
public:
    // Adds the three panes to the right of `bar`'s permanent panes, reading the X server's
    // keyboard when the application runs on X, and nothing otherwise.
    explicit CLockPanes(QStatusBar* bar);
    ~CLockPanes() override;

    // Reads the locks from `reader` from now on (null: none); shows its state at once.
    void SetReader(std::unique_ptr<platform::IKeyboardLockReader> reader);
    // Shows the locks now; an unknown state empties the panes and stops the timer.
    void Refresh();

private:
    QStatusBar* m_bar;
    QLabel* m_caps;
    QLabel* m_num;
    QLabel* m_scroll;
    QTimer* m_timer;
    std::unique_ptr<platform::IKeyboardLockReader> m_reader;
};

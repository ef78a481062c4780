#include "tolvane/outer_size.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace {

// The outer size a window waits to be given, until the window manager has framed it.
constexpr char kPendingOuterSize[] = "pendingOuterSize";

QMargins FrameOf(const QWidget& window) {
    return window.windowHandle() != nullptr ? window.windowHandle()->frameMargins() : QMargins();
}

void ResizeWithin(QWidget* window, const QMargins& frame) {
    window->resize(window->property(kPendingOuterSize).toSize().shrunkBy(frame));
}

// Watches the window's own events for the first one after which its frame is known. Until then
// its owner's frame stands in when it is shown (windows of one program are framed alike), so
// that it seldom changes size once it is on the screen.
class COuterSizeKeeper : public QObject {
public:
    explicit COuterSizeKeeper(QWidget* window) : QObject(window) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show) return false;
        auto* window = static_cast<QWidget*>(watched);
        const QMargins frame = FrameOf(*window);
        if (frame.isNull()) {
            const QWidget* owner = window->parentWidget();
            if (type == QEvent::Show && owner != nullptr && owner->isVisible())
                ResizeWithin(window, FrameOf(*owner->window()));
            return false;
        }
        window->removeEventFilter(this);
        ResizeWithin(window, frame);
        window->setProperty(kPendingOuterSize, QVariant());
        deleteLater();
        return false;
    }
};

}  // namespace

void ResizeOuter(QWidget* window, const QSize& outer) {
    const QMargins frame = window->isVisible() ? FrameOf(*window) : QMargins();
    window->resize(outer.shrunkBy(frame));
    if (!frame.isNull()) return;
    const bool waiting = window->property(kPendingOuterSize).isValid();
    window->setProperty(kPendingOuterSize, outer);
    if (!waiting) new COuterSizeKeeper(window);
}

QSize OuterSize(const QWidget& window) {
    return window.frameGeometry().size();
}

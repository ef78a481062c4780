#include "tolvane/outer_size.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <optional>

namespace {

// The outer size a window waits to be given, until the window manager has framed it.
constexpr char kPendingOuterSize[] = "pendingOuterSize";

QMargins FrameOf(const QWidget& window) {
    return window.windowHandle() != nullptr ? window.windowHandle()->frameMargins() : QMargins();
}

// Watches the window's own events for the first one after which its frame is known. Until then
// its owner's frame stands in when it is shown (windows of one program are framed alike), so
// that it seldom changes size once it is on the screen. Where the window manager put the window
// somewhere else than asked when it was shown, it goes back there.
class COuterPlaceKeeper : public QObject {
public:
    explicit COuterPlaceKeeper(QWidget* window) : QObject(window) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show) return false;
        auto* window = static_cast<QWidget*>(watched);
        const QSize outer = window->property(kPendingOuterSize).toSize();
        const QMargins frame = FrameOf(*window);
        if (frame.isNull()) {
            if (type != QEvent::Show) return false;
            m_asked = window->pos();
            const QWidget* owner = window->parentWidget();
            if (owner != nullptr && owner->isVisible())
                window->resize(outer.shrunkBy(FrameOf(*owner->window())));
            return false;
        }
        window->removeEventFilter(this);
        window->setProperty(kPendingOuterSize, QVariant());
        window->resize(outer.shrunkBy(frame));
        if (m_asked && window->frameGeometry().topLeft() != *m_asked)
            window->windowHandle()->setFramePosition(*m_asked);
        deleteLater();
        return false;
    }

private:
    std::optional<QPoint> m_asked;
};

}  // namespace

void PlaceOuter(QWidget* window, const QRect& outer) {
    const QMargins frame = window->isVisible() ? FrameOf(*window) : QMargins();
    window->resize(outer.size().shrunkBy(frame));
    window->move(outer.topLeft());
    if (!frame.isNull()) return;
    const bool waiting = window->property(kPendingOuterSize).isValid();
    window->setProperty(kPendingOuterSize, outer.size());
    if (!waiting) new COuterPlaceKeeper(window);
}

QSize OuterSize(const QWidget& window) {
    return window.frameGeometry().size();
}

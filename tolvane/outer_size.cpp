#include "tolvane/outer_size.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <optional>

namespace {

QMargins FrameOf(const QWidget& window) {
    return window.windowHandle() != nullptr ? window.windowHandle()->frameMargins() : QMargins();
}

// Watches the window's own events for the first one after which its frame is known. Until then
// its owner's frame stands in when it is shown (windows of one program are framed alike), so
// that it seldom changes size once it is on the screen. Where the window manager put the window
// somewhere else than asked when it was shown, it goes back there.
class COuterPlaceKeeper : public QObject {
    Q_OBJECT
public:
    explicit COuterPlaceKeeper(QWidget* window) : QObject(window) {
        window->installEventFilter(this);
    }
    // The outer size the window waits to be given.
    QSize outer;

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show) return false;
        auto* window = static_cast<QWidget*>(watched);
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
    auto* keeper = window->findChild<COuterPlaceKeeper*>(QString(), Qt::FindDirectChildrenOnly);
    if (keeper == nullptr) keeper = new COuterPlaceKeeper(window);
    keeper->outer = outer.size();
}

#include "outer_size.moc"

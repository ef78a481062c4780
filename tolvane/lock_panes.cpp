#include "tolvane/lock_panes.h"

#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace {

// Often enough that a lock looks immediate; a read is three small requests to the X server.
constexpr int kReadPeriodMs = 250;

QLabel* AddPane(QStatusBar* bar, const char* text) {
    auto* pane = new QLabel(bar);
    pane->setObjectName(QString::fromLatin1(text));
    pane->setAlignment(Qt::AlignCenter);
    const int margins = pane->contentsMargins().left() + pane->contentsMargins().right();
    pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(text)) + margins +
                        pane->fontMetrics().averageCharWidth());
    bar->addPermanentWidget(pane);
    return pane;
}

void Show(QLabel* pane, bool on) {
    pane->setText(on ? pane->objectName() : QString());
}

}  // namespace

CLockPanes::CLockPanes(QStatusBar* bar)
    : QObject(bar),
      m_bar(bar),
      m_caps(AddPane(bar, "CAP")),
      m_num(AddPane(bar, "NUM")),
      m_scroll(AddPane(bar, "SCRL")),
      m_timer(new QTimer(this)) {
    connect(m_timer, &QTimer::timeout, this, &CLockPanes::Refresh);
    // Another platform (Wayland, offscreen) may still have a DISPLAY whose keyboard is not ours.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        SetReader(std::make_unique<platform::XkbLockReader>());
}

CLockPanes::~CLockPanes() = default;

void CLockPanes::SetReader(std::unique_ptr<platform::IKeyboardLockReader> reader) {
    m_reader = std::move(reader);
    if (m_reader) m_timer->start(kReadPeriodMs);
    Refresh();
}

void CLockPanes::Refresh() {
    // The panes of a status bar turned off are not seen: no need to ask.
    if (m_reader && !m_bar->isVisibleTo(m_bar->window())) return;
    const std::optional<platform::KeyboardLocks> locks = m_reader ? m_reader->Read() : std::nullopt;
    if (!locks) m_timer->stop();
    Show(m_caps, locks && locks->caps);
    Show(m_num, locks && locks->num);
    Show(m_scroll, locks && locks->scroll);
}

#include "quarn/app/ui/tray_icon.h"

#include <QSystemTrayIcon>

#include "quarn/app/ui/quarn_icon.h"

namespace {
constexpr int kTrayId = 128;
}  // namespace

bool CSystemTrayIcon::Available() const {
    return m_icon != nullptr && m_icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void CSystemTrayIcon::Show(const QString& tip, QMenu* menu, std::function<void()> restore) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    if (m_icon == nullptr) {
        m_icon = new QSystemTrayIcon(QuarnIcon(), m_owner);
        m_icon->setObjectName(QString::number(kTrayId));
    }
    m_icon->setToolTip(tip);
    m_icon->setContextMenu(menu);
    QObject::disconnect(m_icon, &QSystemTrayIcon::activated, nullptr, nullptr);
    QObject::connect(m_icon, &QSystemTrayIcon::activated, m_icon,
                     [restore = std::move(restore)](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick) restore();
                     });
    m_icon->show();
}

void CSystemTrayIcon::Hide() {
    if (m_icon == nullptr) return;
    m_icon->hide();
    // The menu goes with its window, which may end before the icon.
    m_icon->setContextMenu(nullptr);
}

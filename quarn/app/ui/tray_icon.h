#pragma once
// The main window's icon in the desktop's tray. The window gets it through this seam so that
// tests drive the icon with a fake on platforms that have no tray.

#include <QString>
#include <functional>

class QMenu;
class QObject;
class QSystemTrayIcon;

class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    // Whether the icon is in a tray now; a window hidden without it could not be brought back.
    virtual bool Available() const = 0;
    // Puts the icon in the tray with `tip` and the context menu `menu` (owned by the caller, which
    // keeps it while the icon shows); a double click calls `restore`.
    virtual void Show(const QString& tip, QMenu* menu, std::function<void()> restore) = 0;
    virtual void Hide() = 0;
};

// The platform's tray icon, where the desktop has a tray. GUI thread only.
class CSystemTrayIcon : public ITrayIcon {
public:
    // The icon is a child of `owner`.
    explicit CSystemTrayIcon(QObject* owner) : m_owner(owner) {}
    bool Available() const override;
    void Show(const QString& tip, QMenu* menu, std::function<void()> restore) override;
    void Hide() override;

private:
    QObject* m_owner;
    QSystemTrayIcon* m_icon = nullptr;
};

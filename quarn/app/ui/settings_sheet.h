#pragma once
// A modal sheet of settings pages (settings_page.h) on tabs, with OK and Cancel (object names
// "1" and "2"; the tabs "tabs"). A page whose values its fields refuse cannot be left: the sheet
// shows the message and stays on that page with the field at fault in focus. Subclasses build
// their pages, then write the stored values in accept(). GUI thread only.

#include <QDialog>
#include <vector>

class CSettingsPage;
class IFrameDialogs;
class QTabWidget;

class CSettingsSheet : public QDialog {
    Q_OBJECT
public:
    QTabWidget* Tabs() const { return m_tabs; }

protected:
    // `dialogs` asks every question; it must outlive the sheet.
    CSettingsSheet(QWidget* parent, const QString& caption, IFrameDialogs& dialogs);

    // A page on a tab of its own, after those added before.
    void AddPage(CSettingsPage* page);
    // A page built, loaded and stored with the others but not shown: its values go back as read.
    void AddHiddenPage(CSettingsPage* page);
    void LoadPages();
    // Takes every page's values, the page on show first, then the others in tab order. False
    // after showing the first refusal.
    bool StorePages();

    IFrameDialogs& m_dialogs;

private:
    // Takes the values of `page`; on a refusal shows its message and puts that page and field in
    // front. False when refused.
    bool StorePage(CSettingsPage& page);
    void OnPageChanged(int index);

    QTabWidget* m_tabs;
    std::vector<CSettingsPage*> m_pages;  // shown and hidden ones
    int m_nCurrent = 0;
};

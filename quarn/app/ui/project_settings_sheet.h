#pragma once
// The Project Settings sheet of the active project and the editor the main window runs it with.
// GUI thread, inside g_csProject for the whole modal run, with the project's keys, lists and
// directory not changing meanwhile (jobs and the remote PROJECT command take the same lock).

#include <QDialog>
#include <array>

#include "quarn/app/project_settings.h"

class IFrameDialogs;
class QTabWidget;
class CSettingsPage;
class CIpage11;

// The sheet's pages in tab order, then the Scripting page, which it builds but does not show.
// OK takes every page's values, refusing a bad number on its page; asks whether the old HTML
// files must be deleted on each run when the server is cleaned of old files (see
// CProjectSettings); writes every key, keeping the sheet open with the reason when one cannot be
// written; and offers to delete the old root's generated files when the HTML root changed.
// Leaving a page with a bad number is refused the same way. Cancel writes nothing.
class CIpropSheet : public QDialog {
    Q_OBJECT
public:
    // `settings` is loaded; the sheet shows and edits its values. `dialogs` asks every question.
    CIpropSheet(QWidget* parent, CProjectSettings& settings, IFrameDialogs& dialogs);

    QTabWidget* Tabs() const { return m_tabs; }
    void accept() override;

private:
    // Takes the values of `page`; on a refusal shows its message and puts that page and field
    // in front. False when refused.
    bool StorePage(CSettingsPage& page);
    void OnPageChanged(int index);
    int Ask(std::string_view question);

    CProjectSettings& m_settings;
    IFrameDialogs& m_dialogs;
    QTabWidget* m_tabs;
    std::array<CSettingsPage*, 8> m_shown{};
    CIpage11* m_scripting;
    int m_nCurrent = 0;
};

class CProjectSettingsEditor {
public:
    explicit CProjectSettingsEditor(IFrameDialogs& dialogs) : m_dialogs(dialogs) {}
    virtual ~CProjectSettingsEditor() = default;

    // Runs the sheet modally for the active project g_strProject and saves on OK. The caller
    // holds g_csProject.
    void Edit(QWidget* parent);

private:
    IFrameDialogs& m_dialogs;
};

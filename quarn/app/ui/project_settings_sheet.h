#pragma once
// The Project Settings sheet of the active project and the editor the main window runs it with.
// GUI thread, inside g_csProject for the whole modal run, with the project's keys, lists and
// directory not changing meanwhile (jobs and the remote PROJECT command take the same lock).

#include "quarn/app/project_settings.h"
#include "quarn/app/ui/settings_sheet.h"

class IFrameDialogs;

// The sheet's pages in tab order, then the Scripting page, which it builds but does not show.
// OK takes every page's values, refusing a bad number on its page; asks whether the old HTML
// files must be deleted on each run when the server is cleaned of old files (see
// CProjectSettings); writes every key, keeping the sheet open with the reason when one cannot be
// written; and offers to delete the old root's generated files when the HTML root changed.
// Cancel writes nothing.
class CIpropSheet : public CSettingsSheet {
    Q_OBJECT
public:
    // `settings` is loaded; the sheet shows and edits its values. `dialogs` asks every question.
    CIpropSheet(QWidget* parent, CProjectSettings& settings, IFrameDialogs& dialogs);

    void accept() override;

private:
    int Ask(std::string_view question);

    CProjectSettings& m_settings;
};

class CProjectSettingsEditor {
public:
    explicit CProjectSettingsEditor(IFrameDialogs& dialogs) : m_dialogs(dialogs) {}
    virtual ~CProjectSettingsEditor() = default;

    // Runs the sheet modally for the active project g_strProject and saves on OK; 1 when OK
    // wrote the settings. The caller holds g_csProject.
    int Edit(QWidget* parent);

private:
    IFrameDialogs& m_dialogs;
};

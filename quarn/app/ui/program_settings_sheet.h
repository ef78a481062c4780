#pragma once
// The Program Settings sheet: six pages of the settings in section global, opened modally by the
// main window without the project lock. OK takes every page's values, writes every key (the
// schedule under g_csSchedule) and closes; a refused field or a write that fails keeps the sheet
// open, on the page at fault for a field. Cancel writes nothing, though a priority click and the
// remote users' changes have acted already. GUI thread only.

#include "quarn/app/program_settings.h"
#include "quarn/app/ui/program_settings_pages.h"
#include "quarn/app/ui/settings_sheet.h"

class IFrameDialogs;

class CIPropSheet2 : public CSettingsSheet {
    Q_OBJECT
public:
    // `dialogs` asks the user and `setPriority` sets the process priority; both must outlive the
    // sheet.
    CIPropSheet2(QWidget* parent, IFrameDialogs& dialogs, PrioritySetter setPriority);

    void Load(const ProgramSettingsValues& values);
    void accept() override;

private:
    ProgramSettingsValues m_values;  // what the pages show and edit
};

class CProgramSettingsEditor {
public:
    CProgramSettingsEditor(IFrameDialogs& dialogs, PrioritySetter setPriority)
        : m_dialogs(dialogs), m_setPriority(std::move(setPriority)) {}
    virtual ~CProgramSettingsEditor() = default;

    // Runs the sheet modally over `parent` with the settings as they are now; 1 when OK wrote
    // them. When OK changed the program title, `parent`'s window takes it as its caption.
    int Edit(QWidget* parent);

private:
    IFrameDialogs& m_dialogs;
    PrioritySetter m_setPriority;
};

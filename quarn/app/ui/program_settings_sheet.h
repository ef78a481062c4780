#pragma once
// The Program Settings sheet: six pages of the settings in section global, opened modally by the
// main window without the project lock. OK checks the pages, writes every key (the schedule
// under g_csSchedule) and closes; a check or a write that fails keeps the sheet open on the page
// at fault. Cancel writes nothing, though a priority click and the remote users' changes have
// acted already. GUI thread only.

#include <QDialog>
#include <vector>

#include "quarn/app/program_settings.h"
#include "quarn/app/ui/program_settings_pages.h"

class IFrameDialogs;
class QTabWidget;

class CIPropSheet2 : public QDialog {
    Q_OBJECT
public:
    // `dialogs` asks the user and `setPriority` sets the process priority; both must outlive the
    // sheet.
    CIPropSheet2(QWidget* parent, IFrameDialogs& dialogs, PrioritySetter setPriority);

    void Load(const ProgramSettingsValues& values);
    // The values the pages show, over the loaded ones.
    ProgramSettingsValues Values() const;

    void accept() override;

private:
    // Checks `page`; on a fault shows its message, puts the sheet on the page and the focus on
    // the field, and returns false.
    bool CheckPage(CProgramSettingsPage* page);
    void OnPageChanged(int index);

    IFrameDialogs& m_dialogs;
    QTabWidget* m_tabs;
    CGIpage1* m_page1;
    CGIpage2* m_page2;
    CGIpage3* m_page3;
    CGIpage4* m_page4;
    CGIpage5* m_page5;
    CGIpage6* m_page6;
    CGIpage7* m_page7;
    std::vector<CProgramSettingsPage*> m_pages;  // all seven: loaded and saved together
    ProgramSettingsValues m_loaded;
    int m_currentPage = 0;
};

class CProgramSettingsEditor {
public:
    CProgramSettingsEditor(IFrameDialogs& dialogs, PrioritySetter setPriority)
        : m_dialogs(dialogs), m_setPriority(std::move(setPriority)) {}
    virtual ~CProgramSettingsEditor() = default;

    // Runs the sheet modally over `parent` with the settings as they are now. When OK changed
    // the program title, `parent`'s window takes it as its caption.
    void Edit(QWidget* parent);

private:
    IFrameDialogs& m_dialogs;
    PrioritySetter m_setPriority;
};

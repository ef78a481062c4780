#include "quarn/app/ui/project_settings_sheet.h"

#include "quarn/app/project_paths.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/project_settings_pages.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "shared/widgets/ui_text.h"

namespace {

constexpr int kYesNoWarning = 4 | 48;
constexpr int kError = 16;

QString Title() {
    return FromBytes(g_strProgramTitle.Get());
}

}  // namespace

CIpropSheet::CIpropSheet(QWidget* parent, CProjectSettings& settings, IFrameDialogs& dialogs)
    : CSettingsSheet(parent, FromBytes("Project Settings (" + g_strProject.Get() + ")"), dialogs),
      m_settings(settings) {
    setObjectName("CIpropSheet");
    ProjectSettingsValues& v = m_settings.m_values;
    AddPage(new CIpage5(v, dialogs));
    AddPage(new CIpage7(v, dialogs));
    AddPage(new CIpage8(v, dialogs));
    AddPage(new CIpage2(v, dialogs));
    AddPage(new CIpage1(v, dialogs));
    AddPage(new CIpage6(v, dialogs));
    AddPage(new CIpage9(v, dialogs));
    AddPage(new CIpage10(v, dialogs));
    AddHiddenPage(new CIpage11(v, dialogs));
    LoadPages();
}

int CIpropSheet::Ask(std::string_view question) {
    // The questions have no owner window, as a setting's consequence is asked outside the sheet.
    return m_dialogs.MessageBox(nullptr, FromBytes(WithProgramTitle(question)), Title(),
                                kYesNoWarning);
}

void CIpropSheet::accept() {
    if (!StorePages()) return;
    if (m_settings.AsksForDelh() && Ask(CProjectSettings::kDelhQuestion) == prompt_answer::kYes) {
        m_settings.m_values.delh = 1;
        LoadPages();
    }
    if (!m_settings.Save()) {
        m_dialogs.MessageBox(this, FromBytes(m_settings.m_strMessage), Title(), kError);
        return;
    }
    if (m_settings.AsksToDeleteOldOutput() &&
        Ask(CProjectSettings::kRootQuestion) == prompt_answer::kYes &&
        !m_settings.DeleteOldOutput()) {
        m_dialogs.MessageBox(nullptr, FromBytes(m_settings.m_strMessage), Title(), kError);
    }
    QDialog::accept();
}

int CProjectSettingsEditor::Edit(QWidget* parent) {
    CProjectSettings settings(g_strProject.Get(), ProjectDirectory());
    settings.Load();
    CIpropSheet sheet(parent, settings, m_dialogs);
    return sheet.exec() == QDialog::Accepted ? 1 : 0;
}

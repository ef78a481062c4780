#include "quarn/app/ui/program_settings_sheet.h"

#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/services/program_context.h"
#include "shared/widgets/ui_text.h"

namespace {
constexpr int kError = 16;
}  // namespace

CIPropSheet2::CIPropSheet2(QWidget* parent, IFrameDialogs& dialogs, PrioritySetter setPriority)
    : CSettingsSheet(parent, "Program Settings", dialogs) {
    setObjectName("CIPropSheet2");
    ProgramSettingsValues& v = m_values;
    AddPage(new CGIpage5(v, dialogs));
    AddPage(new CGIpage3(v, dialogs));
    AddPage(new CGIpage4(v, dialogs));
    AddPage(new CGIpage1(v, dialogs));
    AddPage(new CGIpage2(v, dialogs, std::move(setPriority)));
    AddPage(new CGIpage6(v, dialogs));
    AddHiddenPage(new CGIpage7(v, dialogs));
}

void CIPropSheet2::Load(const ProgramSettingsValues& values) {
    m_values = values;
    LoadPages();
}

void CIPropSheet2::accept() {
    if (!StorePages()) return;
    std::string message;
    if (!SaveProgramSettings(m_values, &message)) {
        m_dialogs.MessageBox(this, FromBytes(message), FromBytes(g_strProgramTitle.Get()), kError);
        return;
    }
    QDialog::accept();
}

int CProgramSettingsEditor::Edit(QWidget* parent) {
    CIPropSheet2 sheet(parent, m_dialogs, m_setPriority);
    sheet.Load(LoadProgramSettings());
    const std::string title = g_strProgramTitle.Get();
    if (sheet.exec() != QDialog::Accepted) return 0;
    const std::string newTitle = g_strProgramTitle.Get();
    if (parent != nullptr && newTitle != title)
        parent->window()->setWindowTitle(FromBytes(newTitle));
    return 1;
}

#include "quarn/app/ui/project_settings_sheet.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "quarn/app/project_paths.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/project_settings_pages.h"
#include "shared/widgets/ui_text.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"

namespace {

constexpr int kYesNoWarning = 4 | 48;
constexpr int kWarning = 48;
constexpr int kError = 16;

QString Title() {
    return FromBytes(g_strProgramTitle.Get());
}

}  // namespace

CIpropSheet::CIpropSheet(QWidget* parent, CProjectSettings& settings, IFrameDialogs& dialogs)
    : QDialog(parent), m_settings(settings), m_dialogs(dialogs), m_tabs(new QTabWidget(this)) {
    setObjectName("CIpropSheet");
    setWindowTitle(FromBytes("Project Settings (" + g_strProject.Get() + ")"));
    ProjectSettingsValues& values = m_settings.m_values;
    m_shown = {new CIpage5(values, dialogs), new CIpage7(values, dialogs),
               new CIpage8(values, dialogs), new CIpage2(values, dialogs),
               new CIpage1(values, dialogs), new CIpage6(values, dialogs),
               new CIpage9(values, dialogs), new CIpage10(values, dialogs)};
    for (CSettingsPage* page : m_shown) {
        m_tabs->addTab(page, page->Title());
        page->Load();
    }
    m_scripting = new CIpage11(values, dialogs);
    m_scripting->setParent(this);
    m_scripting->hide();
    m_scripting->Load();

    // Every tab in view at once, as on a sheet.
    m_tabs->tabBar()->setUsesScrollButtons(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CIpropSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CIpropSheet::reject);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CIpropSheet::OnPageChanged);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

bool CIpropSheet::StorePage(CSettingsPage& page) {
    std::string message;
    QWidget* field = nullptr;
    if (page.Store(message, field)) return true;
    m_nCurrent = m_tabs->indexOf(&page);
    m_tabs->setCurrentWidget(&page);
    m_dialogs.MessageBox(this, FromBytes(message), Title(), kWarning);
    if (field != nullptr) {
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
    return false;
}

void CIpropSheet::OnPageChanged(int index) {
    if (index == m_nCurrent) return;
    CSettingsPage* left = m_shown[static_cast<std::size_t>(m_nCurrent)];
    if (!StorePage(*left)) return;
    m_nCurrent = index;
}

int CIpropSheet::Ask(std::string_view question) {
    // The questions have no owner window, as a setting's consequence is asked outside the sheet.
    return m_dialogs.MessageBox(nullptr, FromBytes(WithProgramTitle(question)), Title(),
                                kYesNoWarning);
}

void CIpropSheet::accept() {
    for (CSettingsPage* page : m_shown) {
        if (!StorePage(*page)) return;
    }
    std::string ignored;
    QWidget* none = nullptr;
    m_scripting->Store(ignored, none);  // no numbers: never refuses
    if (m_settings.AsksForDelh() && Ask(CProjectSettings::kDelhQuestion) == prompt_answer::kYes) {
        m_settings.m_values.delh = 1;
        for (CSettingsPage* page : m_shown)
            page->Load();
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

void CProjectSettingsEditor::Edit(QWidget* parent) {
    CProjectSettings settings(g_strProject.Get(), ProjectDirectory());
    settings.Load();
    CIpropSheet sheet(parent, settings, m_dialogs);
    sheet.exec();
}

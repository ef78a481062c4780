#include "quarn/app/ui/program_settings_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "quarn/app/ui/frame_dialogs.h"
#include "shared/widgets/ui_text.h"
#include "quarn/services/program_context.h"

namespace {
constexpr int kError = 16;
constexpr int kWarning = 48;
}  // namespace

CIPropSheet2::CIPropSheet2(QWidget* parent, IFrameDialogs& dialogs, PrioritySetter setPriority)
    : QDialog(parent),
      m_dialogs(dialogs),
      m_tabs(new QTabWidget(this)),
      m_page1(new CGIpage1(dialogs)),
      m_page2(new CGIpage2(dialogs, std::move(setPriority))),
      m_page3(new CGIpage3(dialogs)),
      m_page4(new CGIpage4(dialogs)),
      m_page5(new CGIpage5(dialogs)),
      m_page6(new CGIpage6(dialogs)),
      m_page7(new CGIpage7(dialogs)) {
    setObjectName("CIPropSheet2");
    setWindowTitle("Program Settings");
    m_tabs->setObjectName("tabs");
    m_tabs->setUsesScrollButtons(false);
    m_tabs->addTab(m_page5, "Auto-Publish Project");
    m_tabs->addTab(m_page3, "Auto-Publish Schedule");
    m_tabs->addTab(m_page4, "Connection Details");
    m_tabs->addTab(m_page1, "Helper Applications");
    m_tabs->addTab(m_page2, "Program Behaviour");
    m_tabs->addTab(m_page6, "Network Control");
    m_page7->setParent(this);
    m_page7->hide();
    m_pages = {m_page1, m_page2, m_page3, m_page4, m_page5, m_page6, m_page7};
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) { OnPageChanged(index); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    connect(buttons, &QDialogButtonBox::accepted, this, &CIPropSheet2::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

void CIPropSheet2::Load(const ProgramSettingsValues& values) {
    m_loaded = values;
    for (CProgramSettingsPage* page : m_pages)
        page->Load(values);
}

ProgramSettingsValues CIPropSheet2::Values() const {
    ProgramSettingsValues values = m_loaded;
    for (const CProgramSettingsPage* page : m_pages)
        page->Save(values);
    return values;
}

bool CIPropSheet2::CheckPage(CProgramSettingsPage* page) {
    QString message;
    QWidget* field = nullptr;
    if (page->Check(&message, &field)) return true;
    if (m_tabs->indexOf(page) >= 0) {
        const QSignalBlocker quiet(m_tabs);
        m_tabs->setCurrentWidget(page);
        m_currentPage = m_tabs->currentIndex();
    }
    m_dialogs.MessageBox(this, message, FromBytes(g_strProgramTitle.Get()), kWarning);
    if (field != nullptr) field->setFocus();
    return false;
}

void CIPropSheet2::OnPageChanged(int index) {
    // A page with a fault cannot be left, as with OK.
    auto* left = static_cast<CProgramSettingsPage*>(m_tabs->widget(m_currentPage));
    if (left != nullptr && !CheckPage(left)) return;
    m_currentPage = index;
}

void CIPropSheet2::accept() {
    // The page on show first, then the others in tab order.
    if (!CheckPage(static_cast<CProgramSettingsPage*>(m_tabs->currentWidget()))) return;
    for (int index = 0; index < m_tabs->count(); ++index) {
        if (!CheckPage(static_cast<CProgramSettingsPage*>(m_tabs->widget(index)))) return;
    }
    std::string message;
    if (!SaveProgramSettings(Values(), &message)) {
        m_dialogs.MessageBox(this, FromBytes(message), FromBytes(g_strProgramTitle.Get()), kError);
        return;
    }
    QDialog::accept();
}

void CProgramSettingsEditor::Edit(QWidget* parent) {
    CIPropSheet2 sheet(parent, m_dialogs, m_setPriority);
    sheet.Load(LoadProgramSettings());
    const std::string title = g_strProgramTitle.Get();
    if (sheet.exec() != QDialog::Accepted) return;
    const std::string newTitle = g_strProgramTitle.Get();
    if (parent != nullptr && newTitle != title)
        parent->window()->setWindowTitle(FromBytes(newTitle));
}

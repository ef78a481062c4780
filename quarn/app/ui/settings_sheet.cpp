#include "quarn/app/ui/settings_sheet.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/settings_page.h"
#include "quarn/services/program_context.h"
#include "shared/widgets/ui_text.h"

namespace {
constexpr int kWarning = 48;
}  // namespace

CSettingsSheet::CSettingsSheet(QWidget* parent, const QString& caption, IFrameDialogs& dialogs)
    : QDialog(parent), m_dialogs(dialogs), m_tabs(new QTabWidget(this)) {
    setWindowTitle(caption);
    m_tabs->setObjectName("tabs");
    // Every tab in view at once, as on a sheet.
    m_tabs->setUsesScrollButtons(false);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CSettingsSheet::OnPageChanged);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    connect(buttons, &QDialogButtonBox::accepted, this, &CSettingsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSettingsSheet::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

void CSettingsSheet::AddPage(CSettingsPage* page) {
    m_tabs->addTab(page, page->Title());
    m_pages.push_back(page);
}

void CSettingsSheet::AddHiddenPage(CSettingsPage* page) {
    page->setParent(this);
    page->hide();
    m_pages.push_back(page);
}

void CSettingsSheet::LoadPages() {
    for (CSettingsPage* page : m_pages)
        page->Load();
}

bool CSettingsSheet::StorePages() {
    if (auto* shown = static_cast<CSettingsPage*>(m_tabs->currentWidget());
        shown != nullptr && !StorePage(*shown))
        return false;
    for (CSettingsPage* page : m_pages) {
        if (!StorePage(*page)) return false;
    }
    return true;
}

bool CSettingsSheet::StorePage(CSettingsPage& page) {
    std::string message;
    QWidget* field = nullptr;
    if (page.Store(message, field)) return true;
    if (m_tabs->indexOf(&page) >= 0) {
        const QSignalBlocker quiet(m_tabs);
        m_tabs->setCurrentWidget(&page);
        m_nCurrent = m_tabs->currentIndex();
    }
    m_dialogs.MessageBox(this, FromBytes(message), FromBytes(g_strProgramTitle.Get()), kWarning);
    if (field != nullptr) {
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
    return false;
}

void CSettingsSheet::OnPageChanged(int index) {
    auto* left = static_cast<CSettingsPage*>(m_tabs->widget(m_nCurrent));
    if (index == m_nCurrent || left == nullptr) return;
    if (!StorePage(*left)) return;
    m_nCurrent = index;
}

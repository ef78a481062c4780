#include "kestrel/kestrel_sheet.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include "kestrel/kestrel_app.h"
#include "kestrel/kestrel_pages.h"
#include "kestrel/page_flow.h"
#include "shared/widgets/ui_text.h"
#include "shared/widgets/wizard_prompts.h"

namespace {

constexpr int kPictureWidth = 170;
constexpr int kPictureHeight = 330;

// The picture at the left of every page.
QPixmap WizardPicture() {
    QPixmap picture(kPictureWidth, kPictureHeight);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, kPictureHeight);
    sky.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
    sky.setColorAt(1, QColor(0x9f, 0xc8, 0xec));
    painter.fillRect(picture.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf2, 0xa6, 0x3a));
    // A bird in flight: two swept wings and a body.
    QPolygonF bird;
    bird << QPointF(20, 120) << QPointF(85, 140) << QPointF(150, 105) << QPointF(95, 150)
         << QPointF(85, 175) << QPointF(75, 150);
    painter.drawPolygon(bird);
    painter.setPen(Qt::white);
    QFont title = painter.font();
    title.setPointSize(18);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(0, 220, kPictureWidth, 40), Qt::AlignCenter, "Kestrel");
    return picture;
}

}  // namespace

CKestrelSheet::CKestrelSheet(CKestrelApp& app, IWizardPrompts& prompts, CatalogMaker catalogs,
                             QWidget* parent)
    : QWizard(parent), m_app(app), m_prompts(prompts), m_catalogs(std::move(catalogs)) {
    setObjectName("kestrel");
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    // The pages refer to Help, which this build does not have: the button shows, disabled.
    setOption(QWizard::HaveHelpButton);
    button(QWizard::HelpButton)->setEnabled(false);
    setPixmap(QWizard::WatermarkPixmap, WizardPicture());
    AddKestrelPages(*this);
    setStartId(kestrel_page::kWelcome);
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        auto* shown = qobject_cast<CKestrelPage*>(page(id));
        if (shown == nullptr) return;
        setWindowTitle(shown->Caption());
        if (m_bReturning) shown->OnReturn();
        m_bReturning = false;
    });
}

// Back cleans up the page it leaves and initializes none; a restart cleans up every page and
// then initializes the first.
void CKestrelSheet::cleanupPage(int id) {
    m_bReturning = true;
    QWizard::cleanupPage(id);
}

void CKestrelSheet::initializePage(int id) {
    m_bReturning = false;
    QWizard::initializePage(id);
}

CKestrelPage::CKestrelPage(CKestrelSheet& sheet, int dialogId, const char* caption,
                           const char* text)
    : QWizardPage(&sheet),
      m_sheet(sheet),
      m_nDialogId(dialogId),
      m_szCaption(caption),
      m_controls(new QVBoxLayout) {
    setObjectName(QString::number(dialogId));
    setTitle(caption);
    auto* layout = new QVBoxLayout(this);
    if (text != nullptr) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addLayout(m_controls);
    layout->addStretch();
    sheet.setPage(dialogId, this);
}

int CKestrelPage::nextId() const {
    return NextPage(m_nDialogId, App());
}

bool CKestrelPage::Refuse(const QString& message) {
    Prompts().StopMessage(this, message);
    return false;
}

std::unique_ptr<IOdbcCatalog> CKestrelPage::ColumnsOf(const std::string& table) {
    std::unique_ptr<IOdbcCatalog> catalog = Catalog();
    if (!catalog->ListColumns(App().m_strConnect, "SELECT * FROM " + table))
        Refuse(FromBytes(catalog->Message()));
    return catalog;
}

QLineEdit* CKestrelPage::AddEdit(int id, const char* label) {
    if (label != nullptr) m_controls->addWidget(new QLabel(label, this));
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    m_controls->addWidget(edit);
    return edit;
}

QCheckBox* CKestrelPage::AddCheck(int id, const char* text) {
    auto* check = new QCheckBox(text, this);
    check->setObjectName(QString::number(id));
    m_controls->addWidget(check);
    return check;
}

QRadioButton* CKestrelPage::AddRadio(int id, const char* text) {
    auto* radio = new QRadioButton(text, this);
    radio->setObjectName(QString::number(id));
    m_controls->addWidget(radio);
    return radio;
}

QListWidget* CKestrelPage::AddList(int id) {
    auto* list = new QListWidget(this);
    list->setObjectName(QString::number(id));
    m_controls->addWidget(list);
    return list;
}

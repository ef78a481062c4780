#include "quarn/app/ui/startup_dlgs.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "quarn/app/readme_offer.h"
#include "quarn/app/startup.h"
#include "quarn/services/program_context.h"
#include "shared/widgets/ui_text.h"

namespace {

constexpr int kReadmeDlgId = 161;
constexpr int kAlreadyRunningDlgId = 137;
constexpr int kDontShowId = 1004;
constexpr int kOkId = 1;
constexpr int kCancelId = 2;
constexpr int kTextWidth = 360;

QLabel* Text(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setMinimumWidth(kTextWidth);
    return label;
}

QPushButton* Button(const QString& text, int id, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::number(id));
    return button;
}

// Buttons centred in a row below the dialog's text.
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons)
        row->addWidget(button);
    row->addStretch();
    return row;
}

}  // namespace

CReadmeDlg::CReadmeDlg(QWidget* parent)
    : QDialog(parent), m_dontShow(new QCheckBox("Don't show me this message again", this)) {
    setObjectName(QString::number(kReadmeDlgId));
    setWindowTitle("Quarn");
    m_dontShow->setObjectName(QString::number(kDontShowId));
    QPushButton* yes = Button("YES", kOkId, this);
    QPushButton* no = Button("NO", kCancelId, this);
    yes->setDefault(true);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        Text("Walked-through examples are provided in \"readme.txt\" to help you "
             "evaluate this software.",
             this));
    layout->addWidget(Text("View readme now?", this));
    layout->addWidget(m_dontShow);
    layout->addLayout(ButtonRow({yes, no}));
}

bool CReadmeDlg::DontShowAgain() const {
    return m_dontShow->isChecked();
}

CAlreadyRunningDlg::CAlreadyRunningDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QString::number(kAlreadyRunningDlgId));
    setWindowTitle(FromBytes(g_strProgramTitle.Get()));
    QPushButton* ok = Button("OK", kOkId, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text(FromBytes(kAlreadyRunningNotice), this));
    layout->addLayout(ButtonRow({ok}));
}

void OfferReadme(QWidget* owner, ILauncher& launcher) {
    if (!ReadmeWanted()) return;
    CReadmeDlg prompt(owner);
    const bool view = prompt.exec() == QDialog::Accepted;
    AnswerReadme(view, prompt.DontShowAgain(), launcher);
}

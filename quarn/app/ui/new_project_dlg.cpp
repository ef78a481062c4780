#include "quarn/app/ui/new_project_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "quarn/app/ui/control_identity.h"
#include "quarn/services/program_context.h"
#include "shared/widgets/ui_text.h"

namespace {
constexpr int kDialogId = 165;
constexpr int kNameId = 1000;
constexpr int kMaxName = 32;
}  // namespace

CNewProjectDlg::CNewProjectDlg(QWidget* parent) : QDialog(parent), m_name(new QLineEdit(this)) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle(FromBytes(g_strProgramTitle.Get()));
    Identify(m_name, kNameId, "Quarn project name");
    m_name->setMaxLength(kMaxName);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("&New project name:", this);
    label->setBuddy(m_name);
    layout->addWidget(label);
    layout->addWidget(m_name);
    layout->addWidget(buttons);
    m_name->setFocus();
}

QString CNewProjectDlg::Name() const {
    return m_name->text();
}

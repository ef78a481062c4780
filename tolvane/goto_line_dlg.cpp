#include "tolvane/goto_line_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CGotoLineDlg::CGotoLineDlg(int number, QWidget* parent)
    : QDialog(parent), m_edit(new QLineEdit(QString::number(number), this)) {
    setWindowTitle(QStringLiteral("Tolvane"));
    setObjectName(QStringLiteral("135"));
    m_edit->setObjectName(QStringLiteral("1003"));
    m_edit->setValidator(new QIntValidator(0, 2147483647, m_edit));
    m_edit->setToolTip(QStringLiteral("Enter script line on which to position the cursor"));
    m_edit->selectAll();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* go = buttons->addButton(QStringLiteral("GoTo"), QDialogButtonBox::AcceptRole);
    go->setObjectName(QStringLiteral("1"));
    go->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Goto line:"), this));
    row->addWidget(m_edit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    m_edit->setFocus();
}

int CGotoLineDlg::Number() const {
    return m_edit->text().toInt();
}

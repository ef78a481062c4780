#include "shared/widgets/driver_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

QStringList SortedForList(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

CDriverDlg::CDriverDlg(QWidget* parent, const QStringList& drivers, const DriverDialogLook& look)
    : QDialog(parent), m_drivers(new QListWidget(this)) {
    setObjectName(look.dialogId);
    setWindowTitle(look.caption);
    auto* label = new QLabel(look.text, this);
    label->setWordWrap(true);
    m_drivers->setObjectName(look.listId);
    m_drivers->setToolTip(look.listTip);
    m_drivers->addItems(SortedForList(drivers));
    if (m_drivers->count() > 0) m_drivers->setCurrentRow(0);
    label->setBuddy(m_drivers);
    connect(m_drivers, &QListWidget::itemDoubleClicked, this, &CDriverDlg::accept);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    connect(buttons, &QDialogButtonBox::accepted, this, &CDriverDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDriverDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_drivers);
    layout->addWidget(buttons);
}

void CDriverDlg::accept() {
    const QListWidgetItem* chosen = m_drivers->currentItem();
    if (chosen == nullptr || !chosen->isSelected()) {
        reject();
        return;
    }
    m_strDriver = chosen->text();
    QDialog::accept();
}

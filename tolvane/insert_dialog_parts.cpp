#include "tolvane/insert_dialog_parts.h"

#include <QLineEdit>
#include <QMetaObject>

#include "shared/widgets/driver_dlg.h"
#include "shared/widgets/ui_text.h"

QComboBox* MakeSortedCombo(QWidget* parent, const char* id, const char* tip) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(id);
    combo->setToolTip(tip);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(40);
    return combo;
}

QSpinBox* MakeSpinEdit(QWidget* parent, const char* spinId, const char* editId, const char* tip,
                       int min, int max) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(spinId);
    spin->findChild<QLineEdit*>()->setObjectName(editId);
    spin->setToolTip(tip);
    spin->setRange(min, max);
    return spin;
}

QListWidget* MakeList(QWidget* parent, const char* id, const char* tip) {
    auto* list = new QListWidget(parent);
    list->setObjectName(id);
    list->setToolTip(tip);
    return list;
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& entries,
               const std::string& preferred) {
    QStringList texts;
    for (const std::string& entry : entries)
        texts << FromBytes(entry);
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems(SortedForList(texts));
    const int chosen = preferred.empty() ? -1 : combo->findText(FromBytes(preferred));
    combo->setCurrentIndex(chosen >= 0 ? chosen : (combo->count() > 0 ? 0 : -1));
}

void FillList(QListWidget* list, const std::vector<std::string>& entries) {
    list->clear();
    for (const std::string& entry : entries)
        list->addItem(FromBytes(entry));
    if (list->count() > 0) list->setCurrentRow(0);
}

void FillSortedList(QListWidget* list, const std::vector<std::string>& entries) {
    QStringList texts;
    for (const std::string& entry : entries)
        texts << FromBytes(entry);
    list->clear();
    list->addItems(SortedForList(texts));
    if (list->count() > 0) list->setCurrentRow(0);
}

std::string SelectedText(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    if (item == nullptr || !item->isSelected()) return {};
    return ToBytes(item->text());
}

void CancelWizardLater(QWizard* wizard) {
    QMetaObject::invokeMethod(wizard, &QWizard::reject, Qt::QueuedConnection);
}

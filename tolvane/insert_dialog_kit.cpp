#include "tolvane/insert_dialog_kit.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWizard>

#include "shared/widgets/driver_dlg.h"
#include "shared/widgets/ui_text.h"
#include "tolvane/insert_statements.h"

std::vector<std::string> Collect(const InsertContext& ctx, std::string_view keyword) {
    return ctx.collect ? ctx.collect(keyword) : std::vector<std::string>{};
}

std::vector<std::string> CollectRecordsets(const InsertContext& ctx) {
    std::vector<std::string> recordsets = Collect(ctx, "&getdata");
    for (std::string& statement : Collect(ctx, "&sql"))
        recordsets.push_back(std::move(statement));
    return recordsets;
}

QStringList SortedTexts(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& name : names)
        list.push_back(FromBytes(name));
    return SortedForList(list);
}

QComboBox* MakeCombo(QWidget* parent, const char* id, const char* tip) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(id);
    combo->setToolTip(tip);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(40);
    return combo;
}

QLineEdit* MakeLineEdit(QWidget* parent, const char* id, const char* tip, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(id);
    edit->setToolTip(tip);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    return edit;
}

QListWidget* MakeList(QWidget* parent, const char* id, const char* tip) {
    auto* list = new QListWidget(parent);
    list->setObjectName(id);
    list->setToolTip(tip);
    list->setSortingEnabled(false);
    return list;
}

QPushButton* MakeButton(QWidget* parent, const char* id, const QString& text, const char* tip) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(id);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

QRadioButton* MakeRadio(QWidget* parent, const char* id, const QString& text, const char* tip) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(id);
    radio->setToolTip(tip);
    return radio;
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

void Preselect(QComboBox* combo, const std::string& wanted) {
    const int found = wanted.empty() ? -1 : combo->findText(FromBytes(wanted));
    combo->setCurrentIndex(found >= 0 ? found : (combo->count() > 0 ? 0 : -1));
    // A statement is read from its keyword on.
    combo->lineEdit()->setCursorPosition(0);
}

void AddEntries(QComboBox* combo, const QStringList& entries) {
    for (const QString& entry : entries) {
        combo->addItem(entry);
        combo->setItemData(combo->count() - 1, entry, Qt::ToolTipRole);
    }
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& entries,
               const std::string& preferred) {
    const QSignalBlocker quiet(combo);
    combo->clear();
    AddEntries(combo, SortedTexts(entries));
    Preselect(combo, preferred);
}

void FillList(QListWidget* list, const std::vector<std::string>& entries) {
    list->clear();
    for (const std::string& entry : entries)
        list->addItem(FromBytes(entry));
    if (list->count() > 0) list->setCurrentRow(0);
}

void FillSortedList(QListWidget* list, const std::vector<std::string>& entries) {
    list->clear();
    list->addItems(SortedTexts(entries));
    if (list->count() > 0) list->setCurrentRow(0);
}

void FillRecordsetFields(QListWidget* fields, const DataMemory& memory, IOdbcCatalog& catalog,
                         IWizardPrompts& prompts, QWidget* parent) {
    fields->clear();
    if (!catalog.ListColumns(TextBetweenQuotes(memory.lastDatasource),
                             QueryBeforeWhere(TextBetweenQuotes(memory.lastRecordset)))) {
        prompts.StopMessage(parent, FromBytes(catalog.Message()));
        return;
    }
    std::vector<std::string> names = catalog.Names();
    names.insert(names.end(), {"rownumber", "recordsetsize", "numcolumns"});
    FillSortedList(fields, names);
}

std::string SelectedText(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    if (item == nullptr || !item->isSelected()) return {};
    return ToBytes(item->text());
}

void CancelWizardLater(QWizard* wizard) {
    QMetaObject::invokeMethod(wizard, &QWizard::reject, Qt::QueuedConnection);
}

void FitCaption(QDialog* dialog) {
    // Room for the title bar's icon and buttons beside the text.
    constexpr int kTitleBarExtras = 160;
    // Window managers draw captions in their own font, often bold.
    QFont font = dialog->font();
    font.setBold(true);
    const int caption = QFontMetrics(font).horizontalAdvance(dialog->windowTitle());
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), caption + kTitleBarExtras));
}

QDialogButtonBox* OkCancel(QDialog* dialog, std::function<void()> ok) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, std::move(ok));
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

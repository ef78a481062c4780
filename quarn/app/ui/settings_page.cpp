#include "quarn/app/ui/settings_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>

#include "quarn/app/project_paths.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/spin_button.h"
#include "quarn/script/output_path.h"
#include "quarn/services/program_context.h"
#include "shared/widgets/ui_text.h"

namespace {

constexpr int kLabelColumn = 0;
constexpr int kFieldColumn = 1;
constexpr int kButtonColumn = 2;
constexpr int kColumns = 3;

// A field's text into `value`, which keeps its bytes while the text is what they show: text that
// is not UTF-8 comes back unchanged from a field that was not edited.
void TakeText(std::string& value, const QString& text) {
    if (FromBytes(value) != text) value = ToBytes(text);
}

// Eats Enter in the edit it watches and clicks the button instead.
class CEnterClicks : public QObject {
public:
    CEnterClicks(QObject* edit, QPushButton* button) : QObject(edit), m_button(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        m_button->click();
        return true;
    }

private:
    QPushButton* m_button;
};

}  // namespace

CSettingsPage::CSettingsPage(int dialogId, std::string_view title, IFrameDialogs& dialogs)
    : m_dialogs(dialogs), m_title(FromBytes(title)), m_grid(new QGridLayout(this)) {
    setObjectName(QString::number(dialogId));
    m_grid->setColumnStretch(kFieldColumn, 1);
}

void CSettingsPage::Load() {
    for (const auto& load : m_loads)
        load();
    UpdateEnabling();
}

int CSettingsPage::Store(std::string& message, QWidget*& field) {
    for (const auto& store : m_stores) {
        if (!store(message, field)) return 0;
    }
    return 1;
}

void CSettingsPage::Bind(Loader load, Storer store) {
    m_loads.push_back(std::move(load));
    m_stores.push_back(std::move(store));
}

int CSettingsPage::Ask(std::string_view text, int type) {
    return m_dialogs.MessageBox(this, TitledText(text), FromBytes(g_strProgramTitle.Get()), type);
}

void CSettingsPage::AddRow(std::string_view label, QWidget* field) {
    const int row = m_grid->rowCount();
    if (label.empty()) {
        m_grid->addWidget(field, row, kLabelColumn, 1, 2);
        return;
    }
    auto* caption = new QLabel(FromBytes(label), this);
    caption->setBuddy(field);
    m_grid->addWidget(caption, row, kLabelColumn);
    m_grid->addWidget(field, row, kFieldColumn);
}

QCheckBox* CSettingsPage::MakeCheck(int id, std::string_view text, int& value,
                                    std::string_view tip) {
    auto* check = Identify(new QCheckBox(FromBytes(text), this), id, tip);
    Bind([check, &value] { check->setChecked(value != 0); },
         [check, &value](std::string&, QWidget*&) {
             value = check->isChecked() ? 1 : 0;
             return 1;
         });
    connect(check, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    return check;
}

QCheckBox* CSettingsPage::AddCheck(int id, std::string_view text, int& value,
                                   std::string_view tip) {
    QCheckBox* check = MakeCheck(id, text, value, tip);
    m_grid->addWidget(check, m_grid->rowCount(), kLabelColumn, 1, kColumns);
    return check;
}

QPushButton* CSettingsPage::MakeButton(int id, std::string_view text, std::string_view tip) {
    auto* button = Identify(new QPushButton(FromBytes(text), this), id, tip);
    button->setAutoDefault(false);
    return button;
}

void CSettingsPage::ClickOnEnter(QLineEdit* edit, QPushButton* button) {
    edit->installEventFilter(new CEnterClicks(edit, button));
}

QLineEdit* CSettingsPage::AddLineEdit(int id, std::string_view label, std::string_view tip) {
    auto* edit = Identify(new QLineEdit(this), id, tip);
    AddRow(label, edit);
    return edit;
}

QLineEdit* CSettingsPage::AddEdit(int id, std::string_view label, std::string& value,
                                  std::string_view tip) {
    QLineEdit* edit = AddLineEdit(id, label, tip);
    Bind([edit, &value] { edit->setText(FromBytes(value)); },
         [edit, &value](std::string&, QWidget*&) {
             TakeText(value, edit->text());
             return 1;
         });
    return edit;
}

QLineEdit* CSettingsPage::AddPassword(int id, std::string_view label, std::string& value,
                                      std::string_view tip) {
    QLineEdit* edit = AddEdit(id, label, value, tip);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QLineEdit* CSettingsPage::AddNumber(int id, std::string_view label, int& value, IntRange range,
                                    std::string_view tip) {
    QLineEdit* edit = AddLineEdit(id, label, tip);
    edit->setMaximumWidth(fontMetrics().horizontalAdvance("0000000") + 12);
    // Short at the start of its column, however wide the column grows.
    m_grid->setAlignment(edit, Qt::AlignLeft);
    Bind([edit, &value] { edit->setText(QString::number(value)); },
         [edit, &value, range](std::string& message, QWidget*& field) {
             if (ParseIntField(ToBytes(edit->text()), range, value, message)) return 1;
             field = edit;
             return 0;
         });
    return edit;
}

void CSettingsPage::AddSpin(int id, QLineEdit* buddy, IntRange range) {
    auto* spin = new CSpinButton(buddy, range, this);
    spin->setObjectName(QString::number(id));
    int row = 0, column = 0, rows = 0, columns = 0;
    m_grid->getItemPosition(m_grid->indexOf(buddy), &row, &column, &rows, &columns);
    // Right beside the edit, as an attached spin button is.
    auto* pair = new QWidget(this);
    auto* layout = new QHBoxLayout(pair);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_grid->removeWidget(buddy);
    layout->addWidget(buddy);
    layout->addWidget(spin);
    layout->addStretch(1);
    m_grid->addWidget(pair, row, column, rows, columns);
}

QSpinBox* CSettingsPage::AddSpinBox(int id, std::string_view label, int& value, IntRange range,
                                    std::string_view tip) {
    auto* spin = Identify(new QSpinBox(this), id, tip);
    spin->setRange(range.min, range.max);
    AddRow(label, spin);
    m_grid->setAlignment(spin, Qt::AlignLeft);
    Bind([spin, &value] { spin->setValue(value); },
         [spin, &value](std::string&, QWidget*&) {
             value = spin->value();
             return 1;
         });
    return spin;
}

QComboBox* CSettingsPage::AddCombo(int id, std::string_view label, std::string& value,
                                   std::string_view tip) {
    auto* combo = Identify(new QComboBox(this), id, tip);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    AddRow(label, combo);
    Bind([combo, &value] { combo->setCurrentText(FromBytes(value)); },
         [combo, &value](std::string&, QWidget*&) {
             TakeText(value, combo->currentText());
             return 1;
         });
    return combo;
}

QPushButton* CSettingsPage::AddBrowseButton(int id, QLineEdit* field, std::string_view tip,
                                            std::function<std::optional<QString>()> choose) {
    QPushButton* button = MakeButton(id, "...", tip);
    button->setFixedWidth(fontMetrics().horizontalAdvance("...") + 24);
    int row = 0, column = 0, rows = 0, columns = 0;
    m_grid->getItemPosition(m_grid->indexOf(field), &row, &column, &rows, &columns);
    m_grid->addWidget(button, row, kButtonColumn);
    connect(button, &QPushButton::clicked, this, [field, choose = std::move(choose)] {
        if (const std::optional<QString> path = choose()) field->setText(*path);
    });
    return button;
}

QPushButton* CSettingsPage::AddFileBrowse(int id, QLineEdit* field, std::string_view title,
                                          std::string_view filter, std::function<QString()> initial,
                                          std::string_view tip) {
    return AddBrowseButton(id, field, tip,
                           [this, caption = FromBytes(title), patterns = FromBytes(filter),
                            initial = std::move(initial)] {
                               return m_dialogs.OpenFile(window(), caption, patterns, initial());
                           });
}

QPushButton* CSettingsPage::AddFolderBrowse(int id, QLineEdit* field, std::string_view prompt,
                                            std::function<QString()> initial,
                                            std::string_view tip) {
    return AddBrowseButton(id, field, tip,
                           [this, text = FromBytes(prompt), initial = std::move(initial)] {
                               return m_dialogs.BrowseFolder(window(), text, initial());
                           });
}

QButtonGroup* CSettingsPage::AddRadios(std::string_view title, std::initializer_list<Radio> radios,
                                       int& value) {
    // A long group goes in columns, filled top to bottom, so no page grows far taller than
    // the others.
    constexpr int kMaxRows = 5;
    auto* box = new QGroupBox(FromBytes(title), this);
    auto* layout = new QGridLayout(box);
    auto* group = new QButtonGroup(this);
    int index = 0;
    for (const Radio& radio : radios) {
        auto* button = Identify(new QRadioButton(FromBytes(radio.text), box), radio.id, radio.tip);
        layout->addWidget(button, index % kMaxRows, index / kMaxRows);
        group->addButton(button, index++);
    }
    AddWidget(box);
    Bind(
        [group, &value] {
            if (QAbstractButton* button = group->button(value)) {
                button->setChecked(true);
            } else if (QAbstractButton* checked = group->checkedButton()) {
                // A stored value outside the group checks none.
                group->setExclusive(false);
                checked->setChecked(false);
                group->setExclusive(true);
            }
        },
        [group, &value](std::string&, QWidget*&) {
            // With none checked the value stays as read.
            if (group->checkedId() >= 0) value = group->checkedId();
            return 1;
        });
    connect(group, &QButtonGroup::idClicked, this, [this] { UpdateEnabling(); });
    return group;
}

void CSettingsPage::AddWidget(QWidget* widget, int stretch) {
    const int row = m_grid->rowCount();
    m_grid->addWidget(widget, row, kLabelColumn, 1, kColumns);
    m_grid->setRowStretch(row, stretch);
}

void CSettingsPage::AddStretch() {
    m_grid->setRowStretch(m_grid->rowCount(), 1);
}

void CSettingsPage::SetEnabled(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

void CSettingsPage::SetSortedItems(QComboBox* combo, QStringList items) {
    std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    const QString shown = combo->currentText();
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setCurrentText(shown);
}

QString FolderOrProjectDirectory(std::string_view folder) {
    const std::string project = ProjectDirectory();
    if (folder.empty()) return FromBytes(project);
    return FromBytes(PathBelowRoot(project, folder));
}

QStringList ToStrings(const std::vector<std::string>& texts) {
    QStringList strings;
    for (const std::string& text : texts)
        strings << FromBytes(text);
    return strings;
}

#include "quarn/app/ui/settings_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "quarn/app/project_paths.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/app/ui/spin_button.h"
#include "shared/widgets/ui_text.h"
#include "quarn/script/output_path.h"
#include "quarn/services/program_context.h"

namespace {

constexpr int kLabelColumn = 0;
constexpr int kFieldColumn = 1;
constexpr int kButtonColumn = 2;

}  // namespace

CSettingsPage::CSettingsPage(int dialogId, std::string_view title, IFrameDialogs& dialogs)
    : m_title(FromBytes(title)), m_dialogs(dialogs), m_grid(new QGridLayout(this)) {
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

QWidget* CSettingsPage::AddControl(QWidget* control, int id, std::string_view tip) {
    control->setObjectName(QString::number(id));
    if (!tip.empty()) control->setToolTip(FromBytes(WithProgramTitle(tip)));
    return control;
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

QCheckBox* CSettingsPage::AddCheck(int id, std::string_view text, int& value,
                                   std::string_view tip) {
    auto* check = new QCheckBox(FromBytes(text), this);
    AddControl(check, id, tip);
    m_grid->addWidget(check, m_grid->rowCount(), kLabelColumn, 1, 3);
    m_loads.push_back([check, &value] { check->setChecked(value != 0); });
    m_stores.push_back([check, &value](std::string&, QWidget*&) {
        value = check->isChecked() ? 1 : 0;
        return 1;
    });
    connect(check, &QCheckBox::clicked, this, [this] { UpdateEnabling(); });
    return check;
}

QLineEdit* CSettingsPage::AddLineEdit(int id, std::string_view label, std::string_view tip) {
    auto* edit = new QLineEdit(this);
    AddControl(edit, id, tip);
    AddRow(label, edit);
    return edit;
}

QLineEdit* CSettingsPage::AddEdit(int id, std::string_view label, std::string& value,
                                  std::string_view tip) {
    QLineEdit* edit = AddLineEdit(id, label, tip);
    m_loads.push_back([edit, &value] { edit->setText(FromBytes(value)); });
    m_stores.push_back([edit, &value](std::string&, QWidget*&) {
        value = ToBytes(edit->text());
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
    m_loads.push_back([edit, &value] { edit->setText(QString::number(value)); });
    m_stores.push_back([edit, &value, range](std::string& message, QWidget*& field) {
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

QPushButton* CSettingsPage::AddBrowseButton(int id, QLineEdit* field, std::string_view tip,
                                            std::function<std::optional<QString>()> choose) {
    auto* button = new QPushButton("...", this);
    AddControl(button, id, tip);
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
                                          std::string_view filter, std::string_view tip) {
    return AddBrowseButton(
        id, field, tip, [this, caption = FromBytes(title), patterns = FromBytes(filter)] {
            return m_dialogs.OpenFile(window(), caption, patterns, FromBytes(ProjectDirectory()));
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
        auto* button = new QRadioButton(FromBytes(radio.text), box);
        AddControl(button, radio.id, radio.tip);
        layout->addWidget(button, index % kMaxRows, index / kMaxRows);
        group->addButton(button, index++);
    }
    m_grid->addWidget(box, m_grid->rowCount(), kLabelColumn, 1, 3);
    m_loads.push_back([group, &value] {
        if (QAbstractButton* button = group->button(value)) {
            button->setChecked(true);
        } else if (QAbstractButton* checked = group->checkedButton()) {
            // A stored value outside the group checks none.
            group->setExclusive(false);
            checked->setChecked(false);
            group->setExclusive(true);
        }
    });
    m_stores.push_back([group, &value](std::string&, QWidget*&) {
        // With none checked the value stays as read.
        if (group->checkedId() >= 0) value = group->checkedId();
        return 1;
    });
    connect(group, &QButtonGroup::idClicked, this, [this] { UpdateEnabling(); });
    return group;
}

void CSettingsPage::AddStretch() {
    m_grid->setRowStretch(m_grid->rowCount(), 1);
}

void CSettingsPage::SetEnabled(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

QString FolderOrProjectDirectory(std::string_view folder) {
    const std::string project = ProjectDirectory();
    if (folder.empty()) return FromBytes(project);
    return FromBytes(PathBelowRoot(project, folder));
}

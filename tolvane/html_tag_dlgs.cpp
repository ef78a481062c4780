#include "tolvane/html_tag_dlgs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "shared/widgets/ui_text.h"
#include "tolvane/insert_dialog_kit.h"
#include "tolvane/insert_statements.h"

namespace {

QLineEdit* MakeEdit(QWidget* parent, const char* id, const char* tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(id);
    edit->setToolTip(tip);
    return edit;
}

QSpinBox* MakeCount(QWidget* parent, const char* spinId, const char* editId, const char* tip) {
    QSpinBox* spin = MakeSpinEdit(parent, spinId, editId, tip, 0, 1000);
    spin->setValue(2);
    return spin;
}

// OK and Cancel under `layout`, wired to the dialog.
void AddButtons(QDialog* dialog, QBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

std::string Text(const QLineEdit* edit) {
    return ToBytes(edit->text());
}

}  // namespace

CFontTagDlg::CFontTagDlg(QWidget* parent)
    : QDialog(parent),
      m_face(MakeEdit(this, "1003", "Font Face name (leave blank if not required)")),
      m_color(MakeEdit(this, "1004", "Font color (leave blank if not required)")),
      m_size(MakeEdit(this, "1005", "Font size (leave blank if not required)")) {
    setObjectName("161");
    setWindowTitle("Insert Font Tag");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow("Face:", m_face);
    form->addRow("Color:", m_color);
    form->addRow("Size:", m_size);
    layout->addLayout(form);
    AddButtons(this, layout);
}

std::string CFontTagDlg::Tag() const {
    return FontTag(Text(m_face), Text(m_color), Text(m_size));
}

CImageTagDlg::CImageTagDlg(QWidget* parent)
    : QDialog(parent),
      m_file(MakeEdit(this, "1003", ".jpg or .gif file name")),
      m_alt(MakeEdit(this, "1004", "Image ALT text")),
      m_align(new QButtonGroup(this)) {
    setObjectName("153");
    setWindowTitle("Insert Image Tag");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow("Image file:", m_file);
    form->addRow("ALT text:", m_alt);
    layout->addLayout(form);
    auto* group = new QGroupBox("Align", this);
    auto* radios = new QGridLayout(group);
    const std::pair<const char*, const char*> choices[] = {
        {"1016", "None"}, {"1017", "Left"},   {"1018", "Right"},
        {"1019", "Top"},  {"1000", "Middle"}, {"1001", "Bottom"},
    };
    for (int i = 0; i < 6; ++i) {
        auto* radio = new QRadioButton(choices[i].second, group);
        radio->setObjectName(choices[i].first);
        m_align->addButton(radio, i);
        radios->addWidget(radio, i / 3, i % 3);
    }
    m_align->button(0)->setChecked(true);
    layout->addWidget(group);
    AddButtons(this, layout);
    m_file->setFocus();
}

std::string CImageTagDlg::Tag() const {
    return ImageTag(Text(m_file), m_align->checkedId(), Text(m_alt));
}

CHyperlinkDlg::CHyperlinkDlg(QWidget* parent, const std::vector<std::string>& pages)
    : QDialog(parent), m_url(MakeCombo(this, "1008", "Enter a URL or select one from the list")) {
    setObjectName("152");
    setWindowTitle("Insert Hyperlink");
    FillCombo(m_url, HyperlinkEntries(pages), {});
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow("URL:", m_url);
    layout->addLayout(form);
    AddButtons(this, layout);
    connect(m_url, &QComboBox::activated, this, &QDialog::accept);
}

std::string CHyperlinkDlg::Tag() const {
    return HyperlinkTag(ToBytes(m_url->currentText()));
}

CTableDlg::CTableDlg(QWidget* parent)
    : QDialog(parent),
      m_padding(MakeEdit(this, "1003", "Cellpadding value (leave blank if not required)")),
      m_spacing(MakeEdit(this, "1004", "Cellspacing value (leave blank if not required)")),
      m_border(MakeEdit(this, "1028", "Border value (leave blank if not required)")),
      m_columns(MakeCount(this, "1021", "1005", "Number of columns in table")),
      m_rows(MakeCount(this, "1012", "1025", "Number of rows in table")) {
    setObjectName("172");
    setWindowTitle("Insert Table");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow("Cellpadding:", m_padding);
    form->addRow("Cellspacing:", m_spacing);
    form->addRow("Border:", m_border);
    form->addRow("Columns:", m_columns);
    form->addRow("Rows:", m_rows);
    layout->addLayout(form);
    AddButtons(this, layout);
}

TableAnswers CTableDlg::Answers() const {
    return {Text(m_padding), Text(m_spacing), Text(m_border), m_columns->value(), m_rows->value()};
}

std::optional<std::string> RunFontTagCommand(QWidget* parent, bool shiftDown) {
    if (shiftDown) return "<FONT>";
    CFontTagDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Tag();
}

std::optional<std::string> RunImageTagCommand(QWidget* parent) {
    CImageTagDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Tag();
}

std::optional<std::string> RunHyperlinkCommand(QWidget* parent, bool shiftDown,
                                               const InsertContext& ctx) {
    if (shiftDown) return "<A>";
    CHyperlinkDlg dialog(parent, Collect(ctx, "&html"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Tag();
}

std::optional<InsertResult> RunTableCommand(QWidget* parent, const InsertContext& ctx) {
    CTableDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return TableText(dialog.Answers(), ctx);
}

#include "tolvane/encode_script_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "tolvane/ed_prompts.h"
#include "tolvane/save_name.h"

CEncodeScriptDlg::CEncodeScriptDlg(const CEncodePaths& paths, IEdPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts) {
    setWindowTitle(QStringLiteral("Runtime Encode Script"));
    setObjectName(QStringLiteral("137"));
    auto* group = new QGroupBox(QStringLiteral("Script Files"), this);
    auto* grid = new QGridLayout(group);
    m_input = AddPathRow(grid, 0, QStringLiteral("Input script file"), "1003",
                         QStringLiteral("Enter the path to the script file you wish to encode"),
                         "1006", QStringLiteral("Script files (*.scp);;All Files (*)"), false);
    m_output =
        AddPathRow(grid, 2, QStringLiteral("Output (runtime encoded) script file"), "1004",
                   QStringLiteral("Enter the path Tolvane will use to write the encoded script"),
                   "1024", QStringLiteral("Runtime Script files (*.sce);;All Files (*)"), true);
    m_input->setText(QString::fromStdString(paths.input));
    m_output->setText(QString::fromStdString(paths.output));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* encode =
        buttons->addButton(QStringLiteral("Encode!"), QDialogButtonBox::AcceptRole);
    encode->setObjectName(QStringLiteral("1"));
    encode->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    setMinimumWidth(440);
}

QLineEdit* CEncodeScriptDlg::AddPathRow(QGridLayout* grid, int row, const QString& label,
                                        const char* editId, const QString& tip,
                                        const char* buttonId, const QString& filter, bool save) {
    grid->addWidget(new QLabel(label, this), row, 0, 1, 2);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(editId));
    edit->setToolTip(tip);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QString::fromLatin1(buttonId));
    browse->setToolTip(QStringLiteral("Browse for file"));
    browse->setAutoDefault(false);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    grid->addWidget(edit, row + 1, 0);
    grid->addWidget(browse, row + 1, 1);
    connect(browse, &QPushButton::clicked, this, [this, edit, filter, save] {
        if (!save) {
            if (const std::optional<QString> path = m_prompts.ChooseFile(this, filter, false))
                edit->setText(*path);
            return;
        }
        // The output is a file to be written: a save dialog, which may name a new file.
        if (const std::optional<IEdPrompts::SaveChoice> chosen =
                m_prompts.ChooseSaveFile(this, filter, edit->text()))
            edit->setText(QString::fromStdString(
                SaveFileName(chosen->path.toStdString(), chosen->filter.toStdString())));
    });
    return edit;
}

CEncodePaths CEncodeScriptDlg::Paths() const {
    return {m_input->text().toStdString(), m_output->text().toStdString()};
}

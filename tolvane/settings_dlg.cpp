#include "tolvane/settings_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

QCheckBox* CSettingsDlg::AddCheck(const char* id, const QString& text, const QString& tip,
                                  int value) {
    auto* check = new QCheckBox(text, this);
    check->setObjectName(QString::fromLatin1(id));
    check->setToolTip(tip);
    check->setChecked(value != 0);
    return check;
}

CSettingsDlg::CSettingsDlg(const CEdOptions& options, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Settings"));
    setObjectName(QStringLiteral("154"));
    m_autotab = AddCheck("1007", QStringLiteral("Enable auto-tab"),
                         QStringLiteral("Enable script editor auto-tab feature"), options.autotab);
    m_todo = AddCheck("1013", QStringLiteral("Include TODO statements"),
                      QStringLiteral("Add TODO statements to wizard-generated code"), options.todo);
    m_maximize =
        AddCheck("1026", QStringLiteral("Start new windows maximized"),
                 QStringLiteral("Start new editor windows maximized"), options.maximizeclient);
    m_openClose =
        AddCheck("1027", QStringLiteral("Insert opening && closing HTML tags"),
                 QStringLiteral("HTML Tags window and Toolbar will add closing HTML tags"),
                 options.openclosehtml);

    auto* editor = new QGroupBox(QStringLiteral("Editor Settings"), this);
    auto* editorLayout = new QVBoxLayout(editor);
    for (QCheckBox* check : {m_autotab, m_todo, m_maximize, m_openClose})
        editorLayout->addWidget(check);

    auto* preview = new QGroupBox(QStringLiteral("HTML Auto-Preview Settings"), this);
    auto* previewLayout = new QVBoxLayout(preview);
    const char* ids[] = {"1000", "1001", "1020"};
    const QString texts[] = {QStringLiteral("No auto-preview"),
                             QStringLiteral("Refresh preview page every 4 seconds"),
                             QStringLiteral("Refresh preview page when window loses focus")};
    for (int i = 0; i < 3; ++i) {
        m_refresh[i] = new QRadioButton(texts[i], preview);
        m_refresh[i]->setObjectName(QString::fromLatin1(ids[i]));
        m_refresh[i]->setToolTip(
            QStringLiteral("Tolvane can automatically refresh HTML preview page"));
        m_refresh[i]->setChecked(options.autrefresh == i);
        previewLayout->addWidget(m_refresh[i]);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(editor);
    layout->addWidget(preview);
    layout->addWidget(buttons);
}

CEdOptions CSettingsDlg::Options() const {
    CEdOptions options;
    options.autotab = m_autotab->isChecked() ? 1 : 0;
    options.todo = m_todo->isChecked() ? 1 : 0;
    options.maximizeclient = m_maximize->isChecked() ? 1 : 0;
    options.openclosehtml = m_openClose->isChecked() ? 1 : 0;
    options.autrefresh = 0;
    for (int i = 0; i < 3; ++i) {
        if (m_refresh[i]->isChecked()) options.autrefresh = i;
    }
    return options;
}

#include "tolvane/find_replace_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CFindReplaceDlg::CFindReplaceDlg(Mode mode, QWidget* parent)
    : QDialog(parent),
      m_mode(mode),
      m_what(new QLineEdit(this)),
      // Made before the check boxes, so that Tab goes from the search text to the replacement.
      m_with(mode == Mode::kReplace ? new QLineEdit(this) : nullptr),
      m_wholeWord(new QCheckBox(QStringLiteral("Match &whole word only"), this)),
      m_matchCase(new QCheckBox(QStringLiteral("Match &case"), this)) {
    const bool replace = mode == Mode::kReplace;
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    m_what->setObjectName(QStringLiteral("1152"));
    m_wholeWord->setObjectName(QStringLiteral("1040"));
    m_matchCase->setObjectName(QStringLiteral("1041"));

    auto* fields = new QGridLayout;
    auto* whatLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    whatLabel->setBuddy(m_what);
    fields->addWidget(whatLabel, 0, 0);
    fields->addWidget(m_what, 0, 1);
    if (replace) {
        m_with->setObjectName(QStringLiteral("1153"));
        auto* withLabel = new QLabel(QStringLiteral("Re&place with:"), this);
        withLabel->setBuddy(m_with);
        fields->addWidget(withLabel, 1, 0);
        fields->addWidget(m_with, 1, 1);
    }
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);
    checks->addStretch();
    auto* options = new QHBoxLayout;
    options->addLayout(checks);
    if (!replace) {
        auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
        m_up = new QRadioButton(QStringLiteral("&Up"), direction);
        m_down = new QRadioButton(QStringLiteral("&Down"), direction);
        m_up->setObjectName(QStringLiteral("1056"));
        m_down->setObjectName(QStringLiteral("1057"));
        m_down->setChecked(true);
        auto* radios = new QHBoxLayout(direction);
        radios->addWidget(m_up);
        radios->addWidget(m_down);
        options->addWidget(direction);
    }
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);

    auto* buttons = new QVBoxLayout;
    QPushButton* findNext = AddButton(QStringLiteral("&Find Next"), "1");
    findNext->setDefault(true);
    buttons->addWidget(findNext);
    connect(findNext, &QPushButton::clicked, this, &CFindReplaceDlg::FindNextPressed);
    m_searchButtons << findNext;
    if (replace) {
        QPushButton* one = AddButton(QStringLiteral("&Replace"), "1024");
        QPushButton* all = AddButton(QStringLiteral("Replace &All"), "1025");
        buttons->addWidget(one);
        buttons->addWidget(all);
        connect(one, &QPushButton::clicked, this, &CFindReplaceDlg::ReplacePressed);
        connect(all, &QPushButton::clicked, this, &CFindReplaceDlg::ReplaceAllPressed);
        m_searchButtons << one << all;
    }
    QPushButton* cancel = AddButton(QStringLiteral("Cancel"), "2");
    buttons->addWidget(cancel);
    buttons->addStretch();
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    connect(m_what, &QLineEdit::textChanged, this, &CFindReplaceDlg::EnableButtons);
    EnableButtons();
    m_what->setFocus();
}

QPushButton* CFindReplaceDlg::AddButton(const QString& text, const char* id) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(id));
    button->setAutoDefault(false);
    return button;
}

// Nothing to search for: only Cancel works.
void CFindReplaceDlg::EnableButtons() {
    for (QPushButton* button : m_searchButtons)
        button->setEnabled(!m_what->text().isEmpty());
}

void CFindReplaceDlg::SetSearch(const QString& what, const QString& with,
                                const CSearchOptions& options) {
    m_what->setText(what);
    m_what->selectAll();
    if (m_with != nullptr) m_with->setText(with);
    m_wholeWord->setChecked(options.wholeWord);
    m_matchCase->setChecked(options.matchCase);
    if (m_up != nullptr) (options.down ? m_down : m_up)->setChecked(true);
}

QString CFindReplaceDlg::What() const {
    return m_what->text();
}

QString CFindReplaceDlg::With() const {
    return m_with == nullptr ? QString() : m_with->text();
}

CSearchOptions CFindReplaceDlg::Options() const {
    return {m_matchCase->isChecked(), m_wholeWord->isChecked(),
            m_down == nullptr || m_down->isChecked()};
}

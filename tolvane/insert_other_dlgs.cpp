#include "tolvane/insert_other_dlgs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shared/widgets/ui_text.h"
#include "tolvane/insert_pickers.h"
#include "tolvane/insert_statements.h"

namespace {

constexpr char kNoPageName[] = "You must enter a file name for the HTML page.";
constexpr char kNoSubroutine[] =
    "You need to include a subroutine in your script before you can add a gosub.";

// The Database and User Variable buttons: each replaces the selection of the edit `target()`
// gives with what its picker returns, and gives that edit the focus again.
QHBoxLayout* PickerButtons(QDialog* dialog, const InsertContext& ctx, InsertServices& services,
                           const char* databaseTip, const char* variableTip,
                           std::function<QLineEdit*()> target) {
    auto* database = MakeButton(dialog, "1006", "Database", databaseTip);
    auto* variable = MakeButton(dialog, "1024", "User Variable", variableTip);
    const auto put = [target](const std::optional<std::string>& text) {
        QLineEdit* edit = target();
        if (text) edit->insert(FromBytes(*text));
        edit->setFocus();
    };
    QObject::connect(database, &QPushButton::clicked, dialog, [dialog, &ctx, &services, put] {
        put(CDialogPickers(ctx, services).PickDatabaseField(dialog));
    });
    QObject::connect(variable, &QPushButton::clicked, dialog, [dialog, &ctx, &services, put] {
        put(CDialogPickers(ctx, services).PickUserVariable(dialog));
    });
    auto* row = new QHBoxLayout;
    row->addWidget(database);
    row->addWidget(variable);
    row->addStretch();
    return row;
}

// A dialog of one edit and OK/Cancel.
void OneEditLayout(QDialog* dialog, const char* label, QLineEdit* edit) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(label, dialog));
    layout->addWidget(edit);
    layout->addWidget(OkCancel(dialog, [dialog] { dialog->accept(); }));
    FitCaption(dialog);
}

}  // namespace

CNewVariableDlg::CNewVariableDlg(QWidget* parent)
    : QDialog(parent),
      m_name(MakeLineEdit(this, "1003",
                          "Enter new variable name without the enclosing ?? characters")) {
    setObjectName("170");
    setWindowTitle("Define New Variable");
    OneEditLayout(this, "Variable name:", m_name);
}

std::string CNewVariableDlg::Name() const {
    return ToBytes(m_name->text());
}

CInsertVarDlg::CInsertVarDlg(QWidget* parent, const InsertContext& ctx, IWizardPrompts& prompts)
    : QDialog(parent),
      m_prompts(prompts),
      m_variables(MakeCombo(this, "1008", "Select User variable from the list")) {
    setObjectName("169");
    setWindowTitle("Insert Variable");
    m_variables->addItems(SortedTexts(VariableEntries(Collect(ctx, "&defvar"))));
    m_variables->setCurrentIndex(-1);
    connect(m_variables, &QComboBox::activated, this,
            [this](int index) { Choose(m_variables->itemText(index)); });
    connect(m_variables->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { Choose(m_variables->currentText()); });
    auto* cancel = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancel->button(QDialogButtonBox::Cancel)->setObjectName("2");
    connect(cancel, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("User variable:", this));
    layout->addWidget(m_variables);
    layout->addWidget(cancel);
    FitCaption(this);
}

bool CInsertVarDlg::Prepare() {
    if (m_variables->count() > 0) return true;
    m_prompts.PlainMessage(parentWidget(), kNeedVariable);
    return false;
}

void CInsertVarDlg::Choose(const QString& entry) {
    m_strVariable = ToBytes(entry);
    accept();
}

CDataAssignDlg::CDataAssignDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services)
    : QDialog(parent),
      m_variables(
          MakeCombo(this, "1008", "Select the variable to which you wish to assign the result")),
      m_value(MakeLineEdit(this, "1003", "Enter text or arithmetic expression")),
      m_functions(MakeList(this, "1002", "Double-click a function to add to expression")),
      m_prompts(services.prompts) {
    setObjectName("171");
    setWindowTitle("Data Assign");
    m_variables->addItems(SortedTexts(VariableEntries(Collect(ctx, "&defvar"))));
    m_functions->addItems({"abs()", "acos()", "alog10()", "asin()", "atan()", "cos()", "exp()",
                           "int()", "ln()", "log10()", "sin()", "sqrt()", "tan()"});
    connect(m_functions, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_value->insert(item->text());
        m_value->cursorBackward(false);
        m_value->setFocus();
    });
    const struct {
        const char* id;
        const char* text;
    } operators[] = {
        {"1023", "+"},  {"1000", "-"},  {"1004", "*"},    {"1001", "/"},  {"1005", "/i"},
        {"1007", "%"},  {"1018", "~"},  {"1016", "|"},    {"1015", "&&"}, {"1017", "!"},
        {"1010", "<"},  {"1009", ">"},  {"1011", ">="},   {"1012", "<="}, {"1013", "=="},
        {"1014", "!="}, {"1020", "||"}, {"1019", "&&&&"},
    };
    auto* pad = new QGridLayout;
    int at = 0;
    for (const auto& op : operators) {
        auto* button = MakeButton(this, op.id, op.text, "");
        const QString inserted = QString(op.text).replace("&&", "&");
        connect(button, &QPushButton::clicked, this, [this, inserted] {
            m_value->insert(inserted);
            m_value->setFocus();
        });
        pad->addWidget(button, at / 6, at % 6);
        ++at;
    }

    auto* form = new QFormLayout;
    form->addRow("Variable:", m_variables);
    form->addRow("Value:", m_value);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_functions);
    middle->addLayout(pad);
    layout->addLayout(middle);
    layout->addLayout(PickerButtons(this, ctx, services, "Insert database variable into expression",
                                    "Insert User variable into expression",
                                    [this] { return m_value; }));
    layout->addWidget(OkCancel(this, [this] { accept(); }));
}

bool CDataAssignDlg::Prepare() {
    if (m_variables->count() > 0) return true;
    m_prompts.PlainMessage(parentWidget(), kNeedVariable);
    return false;
}

std::string CDataAssignDlg::Variable() const {
    return ToBytes(m_variables->currentText());
}

std::string CDataAssignDlg::Value() const {
    return ToBytes(m_value->text());
}

CHtmlPageDlg::CHtmlPageDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services)
    : QDialog(parent),
      m_fileName(MakeLineEdit(this, "1003", "File name Quarn will give the HTML Page")),
      m_inSubroutine(new QCheckBox("Place inside subroutine", this)),
      m_subroutine(MakeLineEdit(this, "1004", "Name of the new subroutine", kMaxSubroutineName)) {
    setObjectName("141");
    setWindowTitle("Insert HTML Page");
    m_inSubroutine->setObjectName("1007");
    m_inSubroutine->setToolTip("Put HTML Page inside a subroutine");
    m_subroutine->setEnabled(false);
    m_fileName->setMinimumWidth(280);
    connect(m_inSubroutine, &QCheckBox::toggled, this, [this](bool inside) {
        m_subroutine->setEnabled(inside);
        if (inside) m_subroutine->setFocus();
    });
    auto* form = new QFormLayout;
    form->addRow("File name:", m_fileName);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(PickerButtons(this, ctx, services, "Insert database data into filename",
                                    "Insert User variable into filename",
                                    [this] { return m_fileName; }));
    auto* subroutine = new QFormLayout;
    subroutine->addRow(m_inSubroutine);
    subroutine->addRow("Subroutine name:", m_subroutine);
    layout->addLayout(subroutine);
    layout->addWidget(OkCancel(this, [this, &services] {
        if (m_fileName->text().isEmpty()) {
            services.prompts.StopMessage(this, kNoPageName);
            m_fileName->setFocus();
            return;
        }
        accept();
    }));
    // The picker buttons stand between the file name and the subroutine option.
    QWidget* const order[] = {m_fileName, findChild<QWidget*>("1006"), findChild<QWidget*>("1024"),
                              m_inSubroutine, m_subroutine};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    m_fileName->setFocus();
}

HtmlPageAnswers CHtmlPageDlg::Answers() const {
    return {ToBytes(m_fileName->text()), m_inSubroutine->isChecked(),
            ToBytes(m_subroutine->text())};
}

CSubroutineDlg::CSubroutineDlg(QWidget* parent)
    : QDialog(parent),
      m_name(
          MakeLineEdit(this, "1003", "Enter a name for the new subroutine", kMaxSubroutineName)) {
    setObjectName("150");
    setWindowTitle("Insert Subroutine");
    OneEditLayout(this, "Subroutine name:", m_name);
}

std::string CSubroutineDlg::Name() const {
    return ToBytes(m_name->text());
}

CGosubDlg::CGosubDlg(QWidget* parent, const std::vector<std::string>& names)
    : QDialog(parent),
      m_names(MakeCombo(this, "1008", "Select the subroutine you want to run from the list")) {
    setObjectName("151");
    setWindowTitle("Insert Gosub Function");
    m_names->addItems(SortedTexts(names));
    m_names->setCurrentIndex(-1);
    const auto choose = [this](const QString& name) {
        m_strName = ToBytes(name);
        accept();
    };
    connect(m_names, &QComboBox::activated, this,
            [this, choose](int index) { choose(m_names->itemText(index)); });
    connect(m_names->lineEdit(), &QLineEdit::returnPressed, this,
            [this, choose] { choose(m_names->currentText()); });
    auto* cancel = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancel->button(QDialogButtonBox::Cancel)->setObjectName("2");
    connect(cancel, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Subroutine:", this));
    layout->addWidget(m_names);
    layout->addWidget(cancel);
    FitCaption(this);
}

CEmailDlg::CEmailDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services)
    : QDialog(parent),
      m_to(MakeLineEdit(this, "1003",
                        "Enter the e-mail address to which you wish to send the e-mail")),
      m_from(MakeLineEdit(this, "1004",
                          "Enter the e-mail address that will appear in the \"From:\" field")),
      m_server(MakeLineEdit(this, "1005", "Enter the host name or IP address of your mail server")),
      m_subject(MakeLineEdit(this, "1025", "Enter the subject line for your e-mail")),
      m_formatting(new QButtonGroup(this)),
      m_target(m_server) {
    setObjectName("136");
    setWindowTitle("Insert e-mail");
    auto* none = MakeRadio(this, "1000", "No formatting", "Send e-mail exactly as typed");
    auto* autoFormat = MakeRadio(this, "1001", "Auto-format",
                                 "Strip extraneous tabs and carriage returns from e-mail");
    m_formatting->addButton(none, 0);
    m_formatting->addButton(autoFormat, 1);
    none->setChecked(true);
    for (QLineEdit* edit : {m_to, m_from, m_server, m_subject}) {
        edit->installEventFilter(this);
        edit->setMinimumWidth(320);
    }

    auto* form = new QFormLayout;
    form->addRow("To:", m_to);
    form->addRow("From:", m_from);
    form->addRow("Mail server:", m_server);
    form->addRow("Subject:", m_subject);
    auto* formatting = new QGroupBox("Formatting", this);
    auto* radios = new QHBoxLayout(formatting);
    radios->addWidget(none);
    radios->addWidget(autoFormat);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(formatting);
    layout->addLayout(PickerButtons(this, ctx, services,
                                    "Select edit field and then click button to add database data",
                                    "Select edit field and then click button to add User variable",
                                    [this] { return m_target; }));
    layout->addWidget(OkCancel(this, [this] { accept(); }));
    m_to->setFocus();
}

bool CEmailDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) m_target = static_cast<QLineEdit*>(watched);
    return QDialog::eventFilter(watched, event);
}

EmailAnswers CEmailDlg::Answers() const {
    return {ToBytes(m_to->text()), ToBytes(m_from->text()), ToBytes(m_server->text()),
            ToBytes(m_subject->text()), m_formatting->checkedId() == 0};
}

std::optional<InsertResult> InsertUserVariable(QWidget* parent, const InsertContext& ctx) {
    CNewVariableDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return UserVariableText(dialog.Name(), ctx);
}

std::optional<InsertResult> InsertVariableData(QWidget* parent, const InsertContext& ctx,
                                               IWizardPrompts& prompts) {
    CInsertVarDlg dialog(parent, ctx, prompts);
    if (!dialog.Prepare() || dialog.exec() != QDialog::Accepted) return std::nullopt;
    return AtEnd(dialog.Variable());
}

std::optional<InsertResult> InsertDataAssign(QWidget* parent, const InsertContext& ctx,
                                             InsertServices& services) {
    CDataAssignDlg dialog(parent, ctx, services);
    if (!dialog.Prepare() || dialog.exec() != QDialog::Accepted) return std::nullopt;
    return DataAssignText(dialog.Variable(), dialog.Value(), ctx);
}

std::optional<InsertResult> InsertDefsub(QWidget* parent, const InsertContext& ctx) {
    CSubroutineDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return DefsubText(dialog.Name(), ctx);
}

std::optional<InsertResult> InsertGosub(QWidget* parent, const InsertContext& ctx,
                                        IWizardPrompts& prompts) {
    const std::vector<std::string> subroutines = Collect(ctx, "&defsub");
    if (subroutines.empty()) {
        prompts.PlainMessage(parent, kNoSubroutine);
        return std::nullopt;
    }
    CGosubDlg dialog(parent, QuotedNames(subroutines));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return GosubText(dialog.Name());
}

std::optional<InsertResult> InsertHtmlPage(QWidget* parent, const InsertContext& ctx,
                                           InsertServices& services) {
    CHtmlPageDlg dialog(parent, ctx, services);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return HtmlPageText(dialog.Answers(), ctx);
}

std::optional<InsertResult> InsertEmail(QWidget* parent, const InsertContext& ctx,
                                        InsertServices& services) {
    CEmailDlg dialog(parent, ctx, services);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return EmailText(dialog.Answers(), ctx);
}

void ProcessHtmlSelection(QWidget* parent, const InsertContext& ctx, IWizardPrompts& prompts,
                          const std::function<void(const InsertResult&)>& replace) {
    ProcessedHtml processed = ProcessHtml(ctx.selection);
    replace(AtEnd(std::move(processed.text)));
    prompts.PlainMessage(parent, FromBytes(processed.report));
}

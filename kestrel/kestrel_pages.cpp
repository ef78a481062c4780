#include "kestrel/kestrel_pages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kestrel/kestrel_app.h"
#include "kestrel/kestrel_sheet.h"
#include "kestrel/page_flow.h"
#include "shared/connection_string.h"
#include "shared/odbc_catalog.h"
#include "shared/script_escapes.h"
#include "shared/widgets/driver_dlg.h"
#include "shared/widgets/ui_text.h"
#include "shared/widgets/wizard_prompts.h"

using namespace kestrel_page;

namespace {

constexpr const char* kDataFileFilter =
    "Microsoft data files (*.xls *.mdb *.db *.dbf *.dbc *.txt);;All Files (*)";

// 129: the welcome text, painted beside the picture.
class CPage1 : public CKestrelPage {
public:
    explicit CPage1(CKestrelSheet& sheet) : CKestrelPage(sheet, kWelcome, "Kestrel", nullptr) {
        setMinimumSize(380, 220);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        constexpr const char* kLines[] = {"Quarn Kestrel can create the",
                                          "script file needed to build your",
                                          "database/spreadsheet driven",
                                          "web site quickly and simply. ",
                                          "Click Help at any time for more",
                                          "detailed information on each",
                                          "Kestrel dialog."};
        QPainter painter(this);
        QFont font("Arial");
        font.setPixelSize(20);
        painter.setFont(font);
        const int h = QFontMetrics(font).height();
        // The picture stands left of the page here; the text keeps its distance from it.
        constexpr int kX = 185 - 170;
        int line = 0;
        for (const char* text : kLines) {
            if (line == 4) ++line;  // a blank line before the fifth
            painter.drawText(QRect(kX, line * h + 10, width() - kX, h), Qt::AlignLeft, text);
            ++line;
        }
    }
};

// 137: the kind of script; a click stores it at once.
class CPage9 : public CKestrelPage {
public:
    explicit CPage9(CKestrelSheet& sheet)
        : CKestrelPage(sheet, kScriptType, "Choose script type",
                       "Please click help for a full description of what each different script "
                       "will do.") {
        const std::pair<int, const char*> kinds[] = {
            {1012, "Single page web site"},
            {1013, "Multiple page web site"},
            {1014, "Basic relational database web site"},
            {1015, "Advanced relational database web site"},
            {1021, "CSV file database table export"},
            {1022, "Web form data retrieval"}};
        int type = 1;
        for (const auto& [id, text] : kinds) {
            QRadioButton* radio = AddRadio(id, text);
            connect(radio, &QRadioButton::clicked, this,
                    [this, type] { App().m_nScriptType = type; });
            m_radios.push_back(radio);
            ++type;
        }
    }
    bool validatePage() override {
        return App().m_nScriptType != 0 || Refuse("Please select a script type.");
    }

protected:
    void OnSetActive() override {
        const int type = App().m_nScriptType;
        if (type >= 1 && type <= 6) m_radios[static_cast<std::size_t>(type - 1)]->setChecked(true);
    }

private:
    std::vector<QRadioButton*> m_radios;
};

// 130, 131: a file name that may not be empty; Back keeps a name that is not empty.
class CFileNamePage : public CKestrelPage {
public:
    CFileNamePage(CKestrelSheet& sheet, int id, const char* caption, const char* text,
                  std::string CKestrelApp::*answer, const char* emptyMessage)
        : CKestrelPage(sheet, id, caption, text),
          m_answer(answer),
          m_szEmpty(emptyMessage),
          m_edit(AddEdit(1000, nullptr)) {}
    bool validatePage() override {
        if (m_edit->text().isEmpty()) return Refuse(m_szEmpty);
        App().*m_answer = ToBytes(m_edit->text());
        return true;
    }
    void cleanupPage() override {
        if (!m_edit->text().isEmpty()) App().*m_answer = ToBytes(m_edit->text());
    }

protected:
    void OnSetActive() override { m_edit->setText(FromBytes(App().*m_answer)); }

private:
    std::string CKestrelApp::*m_answer;
    const char* m_szEmpty;
    QLineEdit* m_edit;
};

class CPage2 : public CFileNamePage {
public:
    explicit CPage2(CKestrelSheet& sheet)
        : CFileNamePage(sheet, kScriptFile, "Choose script filename",
                        "Enter the filename to be used for this script file. Any existing file of "
                        "the same name will be overwritten.",
                        &CKestrelApp::m_strScriptFile, "You must give the script file a name.") {}
};

class CPage3 : public CFileNamePage {
public:
    explicit CPage3(CKestrelSheet& sheet)
        : CFileNamePage(sheet, kHtmlFile, "Choose HTML filename",
                        "Enter the filename to be used for the top-level HTML document generated "
                        "by this script.",
                        &CKestrelApp::m_strHtmlFile,
                        "You must give the top-level HTML file a name.") {}
};

// 145: DSN or file; a click stores it at once.
class CPage15 : public CKestrelPage {
public:
    explicit CPage15(CKestrelSheet& sheet)
        : CKestrelPage(sheet, kSourceType, "Select datasource type",
                       "Quarn can work with data from an ODBC Data Source Name (DSN) or directly "
                       "with your database/spreadsheet file.") {
        QRadioButton* file = AddRadio(1013, "Database/Spreadsheet file");
        QRadioButton* dsn = AddRadio(1012, "ODBC DSN");
        connect(file, &QRadioButton::clicked, this, [this] { App().m_nSourceType = 2; });
        connect(dsn, &QRadioButton::clicked, this, [this] { App().m_nSourceType = 1; });
    }
    bool validatePage() override {
        return App().m_nSourceType != 0 || Refuse("Please select a datasource type.");
    }
};

// 146: the database file; Next builds the connection string.
class CPage16 : public CKestrelPage {
public:
    explicit CPage16(CKestrelSheet& sheet)
        : CKestrelPage(sheet, kSourceFile, "Enter datasource file path",
                       "Enter the full path to your database/spreadsheet file, along with logon "
                       "name and password. (If required)") {
        // The browse button stands beside the path it fills.
        auto* row = new QHBoxLayout;
        m_path = new QLineEdit(this);
        m_path->setObjectName("1000");
        auto* browse = new QPushButton("...", this);
        browse->setObjectName("1004");
        row->addWidget(m_path);
        row->addWidget(browse);
        Controls()->addLayout(row);
        connect(browse, &QPushButton::clicked, this, [this] {
            if (const std::optional<QString> path = Prompts().OpenFile(this, kDataFileFilter))
                m_path->setText(*path);
        });
        m_login = AddEdit(1017, "Logon name");
        m_password = AddEdit(1018, "Password");
        m_password->setEchoMode(QLineEdit::Password);
        m_manual = AddCheck(1019, "Select ODBC driver manually");
    }
    bool validatePage() override {
        const std::string path = ToBytes(m_path->text());
        if (path.empty()) return Refuse("You cannot continue without selecting a file.");
        std::string driver =
            m_manual->isChecked() ? std::string() : DriverPartForFile(path, *Catalog());
        if (driver.empty()) {
            const std::optional<QString> chosen = ChooseDriver();
            if (!chosen) return false;
            driver = DriverPart(ToBytes(*chosen));
        }
        App().m_strConnect = FileConnectionString(path, driver, ToBytes(m_login->text()),
                                                  ToBytes(m_password->text()));
        return true;
    }

private:
    std::optional<QString> ChooseDriver() {
        std::unique_ptr<IOdbcCatalog> catalog = Catalog();
        QStringList drivers;
        if (catalog->ListDrivers()) {
            for (const std::string& name : catalog->Names())
                drivers << FromBytes(name);
        } else {
            Refuse(FromBytes(catalog->Message()));
        }
        return Prompts().ChooseDriver(this, SortedForList(drivers));
    }

    QLineEdit* m_path;
    QLineEdit* m_login;
    QLineEdit* m_password;
    QCheckBox* m_manual;
};

// A page whose list 1002 shows names from the catalog (sorted), the first one selected.
class CListPage : public CKestrelPage {
public:
    CListPage(CKestrelSheet& sheet, int id, const char* caption, const char* text)
        : CKestrelPage(sheet, id, caption, text), m_list(AddList(1002)) {}

protected:
    void Show(const std::vector<std::string>& names) {
        m_list->clear();
        QStringList shown;
        for (const std::string& name : names)
            shown << FromBytes(name);
        m_list->addItems(SortedForList(shown));
        if (m_list->count() > 0) m_list->setCurrentRow(0);
    }
    // Lists the data source's tables; on failure shows why and leaves the list empty.
    void ShowTables() {
        std::unique_ptr<IOdbcCatalog> catalog = Catalog();
        if (!catalog->ListTables(App().m_strConnect)) Refuse(FromBytes(catalog->Message()));
        Show(catalog->Names());
    }
    // Lists the columns of `table`, keeping each one's kind; on failure as ShowTables.
    void ShowColumns(const std::string& table) {
        const std::unique_ptr<IOdbcCatalog> catalog = ColumnsOf(table);
        m_columns = catalog->Names();
        m_kinds = catalog->Kinds();
        Show(m_columns);
    }
    std::optional<std::string> Choice() const {
        const QListWidgetItem* item = m_list->currentItem();
        if (item == nullptr || !item->isSelected()) return std::nullopt;
        return ToBytes(item->text());
    }
    // The kind ("I" numeric, "T" other) of the first listed column named `name`.
    std::string KindOf(const std::string& name) const {
        for (std::size_t i = 0; i < m_columns.size() && i < m_kinds.size(); ++i)
            if (m_columns[i] == name) return m_kinds[i];
        return "T";
    }

    QListWidget* m_list;

private:
    std::vector<std::string> m_columns;
    std::vector<std::string> m_kinds;
};

// 132: an ODBC data source; Next builds the connection string.
class CPage4 : public CListPage {
public:
    explicit CPage4(CKestrelSheet& sheet)
        : CListPage(sheet, kDsn, "Select ODBC DSN",
                    "Select the ODBC DSN which you would like Quarn to work with. A Secure "
                    "database will also need user and password information.") {
        m_logon = AddEdit(1000, "Logon name");
        m_password = AddEdit(1017, "Password");
    }
    bool validatePage() override {
        const std::optional<std::string> dsn = Choice();
        if (!dsn)
            return Refuse(
                "You must select an ODBC DSN. If none are displayed, you will need to "
                "define one. See Quarn help for more information on setting up ODBC.");
        App().m_strConnect =
            DsnConnectionString(*dsn, ToBytes(m_logon->text()), ToBytes(m_password->text()));
        return true;
    }

protected:
    void OnSetActive() override {
        std::unique_ptr<IOdbcCatalog> catalog = Catalog();
        if (!catalog->ListDataSources()) Refuse(FromBytes(catalog->Message()));
        Show(catalog->Names());
    }

private:
    QLineEdit* m_logon;
    QLineEdit* m_password;
};

// 133, 139, 157: a table of the data source.
class CTablePage : public CListPage {
public:
    CTablePage(CKestrelSheet& sheet, int id, const char* caption, const char* text,
               std::string CKestrelApp::*answer)
        : CListPage(sheet, id, caption, text), m_answer(answer) {}
    bool validatePage() override {
        const std::optional<std::string> table = Choice();
        if (!table) return Refuse(kNoTableMessage);
        App().*m_answer = SqlName(*table);
        return true;
    }

protected:
    void OnSetActive() override { ShowTables(); }

private:
    std::string CKestrelApp::*m_answer;
};

class CPage5 : public CTablePage {
public:
    explicit CPage5(CKestrelSheet& sheet)
        : CTablePage(sheet, kTable, "Select datasource table",
                     "Select the datasource table that contains the primary data you wish to "
                     "publish.",
                     &CKestrelApp::m_strTable) {}
};

class CPage11 : public CTablePage {
public:
    explicit CPage11(CKestrelSheet& sheet)
        : CTablePage(sheet, kCategoryTable, "Select category table",
                     "Select the table used to generate the top-level category.",
                     &CKestrelApp::m_strCategoryTable) {}
};

class CPage22 : public CTablePage {
public:
    explicit CPage22(CKestrelSheet& sheet)
        : CTablePage(sheet, kFormTable, "Select datasource table",
                     "Select the datasource table that will be used to hold your web form data.",
                     &CKestrelApp::m_strTable) {}
};

// 138, 140, 141, 142: a field of the main or the category table.
class CFieldPage : public CListPage {
public:
    CFieldPage(CKestrelSheet& sheet, int id, const char* caption, const char* text,
               std::string CKestrelApp::*table, std::string CKestrelApp::*answer)
        : CListPage(sheet, id, caption, text), m_table(table), m_answer(answer) {}
    bool validatePage() override {
        const std::optional<std::string> field = Choice();
        if (!field) return Refuse(kNoFieldMessage);
        App().*m_answer = *field;
        Stored(*field);
        return true;
    }

protected:
    void OnSetActive() override { ShowColumns(App().*m_table); }
    virtual void Stored(const std::string&) {}

private:
    std::string CKestrelApp::*m_table;
    std::string CKestrelApp::*m_answer;
};

class CPage10 : public CFieldPage {
public:
    explicit CPage10(CKestrelSheet& sheet)
        : CFieldPage(sheet, kLinkField, "Choose link table field",
                     "Select the table field that you'd like to use as a link to the "
                     "second-level HTML documents.",
                     &CKestrelApp::m_strTable, &CKestrelApp::m_strLinkField) {}
};

class CPage12 : public CFieldPage {
public:
    explicit CPage12(CKestrelSheet& sheet)
        : CFieldPage(sheet, kCategoryLinkField, "Select link table field",
                     "Select the field that you wish to be used on the top-level page as a link "
                     "to the contents pages.",
                     &CKestrelApp::m_strCategoryTable, &CKestrelApp::m_strCategoryLinkField) {}
};

// 141: the category key; a column that is not text makes the key numeric.
class CPage13 : public CFieldPage {
public:
    explicit CPage13(CKestrelSheet& sheet)
        : CFieldPage(sheet, kCategoryKey, "Select key field",
                     "Select the field that forms the relational key to the second table.",
                     &CKestrelApp::m_strCategoryTable, &CKestrelApp::m_strCategoryKey) {}

protected:
    void Stored(const std::string& field) override { App().m_bNumericKey = KindOf(field) != "T"; }
};

class CPage14 : public CFieldPage {
public:
    explicit CPage14(CKestrelSheet& sheet)
        : CFieldPage(sheet, kTableKey, "Select key field",
                     "Select the field that forms the relational key to the first table.",
                     &CKestrelApp::m_strTable, &CKestrelApp::m_strTableKey) {}
};

// 150: the category pages' links.
class CPage18 : public CKestrelPage {
public:
    explicit CPage18(CKestrelSheet& sheet)
        : CKestrelPage(sheet, kCategoryFormat, "Category page formatting",
                       "Kestrel can add links to allow you to move through the category pages, "
                       "as well as a link to the top-level document."),
          m_nav(AddCheck(1019, "Include Forward/Backward links")),
          m_back(AddCheck(1009, "Include link back to top-level page")) {}
    bool validatePage() override {
        App().m_bCategoryNavLinks = m_nav->isChecked();
        App().m_bCategoryBackLink = m_back->isChecked();
        return true;
    }

private:
    QCheckBox* m_nav;
    QCheckBox* m_back;
};

// 134: the field chooser. Fields move between the available list and the chosen one, which
// keep the order of the moves; the answer holds the chosen ones last first.
class CPage6 : public CKestrelPage {
public:
    explicit CPage6(CKestrelSheet& sheet)
        : CKestrelPage(sheet, kFields, "Choose table fields",
                       "Move all the datasource fields you wish to use in your script into the "
                       "list box on the right.") {
        auto* row = new QHBoxLayout;
        // Made in the order they stand, which is the order Tab takes.
        m_available = MakeList(1002);
        auto* add = MakeButton(1004, ">>");
        auto* remove = MakeButton(1016, "<<");
        m_chosen = MakeList(1003);
        auto* buttons = new QVBoxLayout;
        buttons->addStretch();
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addStretch();
        row->addWidget(m_available);
        row->addLayout(buttons);
        row->addWidget(m_chosen);
        Controls()->addLayout(row);
        connect(add, &QPushButton::clicked, this, [this] { Move(m_available, m_chosen); });
        connect(remove, &QPushButton::clicked, this, [this] { Move(m_chosen, m_available); });
    }
    bool validatePage() override {
        App().m_arrFields.clear();
        if (m_chosen->count() == 0)
            return Refuse(
                "You must include at least one table field. If none are displayed, "
                "there may be a problem with your chosen datasource.");
        for (int row = m_chosen->count() - 1; row >= 0; --row)
            App().m_arrFields.push_back(ToBytes(m_chosen->item(row)->text()));
        return true;
    }
    void cleanupPage() override {
        m_chosen->clear();
        m_bLoaded = false;
    }

protected:
    void OnSetActive() override {
        if (m_bLoaded) return;
        m_available->clear();
        const std::unique_ptr<IOdbcCatalog> catalog = ColumnsOf(App().m_strTable);
        for (const std::string& name : catalog->Names())
            m_available->addItem(FromBytes(name));
        if (m_available->count() > 0) m_available->setCurrentRow(0);
        m_bLoaded = true;
    }

private:
    QListWidget* MakeList(int id) {
        auto* list = new QListWidget(this);
        list->setObjectName(QString::number(id));
        return list;
    }
    QPushButton* MakeButton(int id, const char* text) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QString::number(id));
        return button;
    }
    static void Move(QListWidget* from, QListWidget* to) {
        QListWidgetItem* item = from->currentItem();
        if (item == nullptr || !item->isSelected()) return;
        to->addItem(item->text());
        delete from->takeItem(from->row(item));
        if (from->count() > 0) from->setCurrentRow(0);
    }

    QListWidget* m_available;
    QListWidget* m_chosen;
    bool m_bLoaded = false;
};

// 135: the data pages' format and links.
class CPage7 : public CKestrelPage {
public:
    explicit CPage7(CKestrelSheet& sheet)
        : CKestrelPage(sheet, kDataFormat, "Data Page formatting",
                       "Kestrel can format your data as a HTML table, as well as including "
                       "useful links on your data page."),
          m_table(AddCheck(1009, "Format data as Table")),
          m_nav(AddCheck(1019, "Include Forward/Backward links")),
          m_back(AddCheck(1020, "Include link back to top-level/category page")) {}
    bool validatePage() override {
        App().m_bFormatTable = m_table->isChecked();
        App().m_bDataNavLinks = m_nav->isChecked();
        App().m_bDataBackLink = m_back->isChecked();
        return true;
    }

protected:
    void OnSetActive() override {
        const bool links = App().m_nScriptType != 1;
        m_nav->setEnabled(links);
        m_back->setEnabled(links);
    }

private:
    QCheckBox* m_table;
    QCheckBox* m_nav;
    QCheckBox* m_back;
};

// 136, 160: the last page; Finish stores whether to open the result.
class CFinishPage : public CKestrelPage {
public:
    CFinishPage(CKestrelSheet& sheet, int id, const char* text, const char* check)
        : CKestrelPage(sheet, id, "Finished!", text), m_open(AddCheck(1019, check)) {}
    bool validatePage() override {
        App().m_bOpenOnExit = m_open->isChecked();
        return true;
    }

protected:
    void OnSetActive() override { m_open->setChecked(true); }

private:
    QCheckBox* m_open;
};

class CPage8 : public CFinishPage {
public:
    explicit CPage8(CKestrelSheet& sheet)
        : CFinishPage(sheet, kFinished,
                      "That's it! Click finish to create your script. The script will be stored "
                      "in the current project directory, and although it will run straight "
                      "away, you may want to add some HTML to generate the appearance you "
                      "require.\n\nClick help for further info on editing and running your "
                      "script.",
                      "Open script file for editing on exit from Kestrel") {}
};

class CPage25 : public CFinishPage {
public:
    explicit CPage25(CKestrelSheet& sheet)
        : CFinishPage(sheet, kProjectFinished,
                      "That's it! Kestrel now has all of the information it requires to generate "
                      "the files needed for your project, all of which will be created in the "
                      "current project directory.\n\nFurther instructions are provided in the "
                      "project help  file to assist with the installation of the project script "
                      "files.",
                      "Open project help file on exit from Kestrel") {}
};

// 151: the CSV files' name and form.
class CPage19 : public CKestrelPage {
public:
    explicit CPage19(CKestrelSheet& sheet)
        : CKestrelPage(sheet, kCsvOutput, "CSV output file details",
                       "Enter the name you wish Quarn to use when creating the CSV output "
                       "files."),
          m_name(AddEdit(1000, nullptr)),
          m_multi(AddCheck(1019, "Multi-file output")),
          m_sequential(AddCheck(1009, "Name files sequentially")),
          m_index(AddCheck(1020, "Create index file")) {
        connect(m_multi, &QCheckBox::clicked, this, [this] { UpdateEnabling(); });
    }
    bool validatePage() override {
        if (m_name->text().isEmpty())
            return Refuse("You cannot continue without giving the file a name.");
        Store();
        return true;
    }
    void cleanupPage() override { Store(); }

protected:
    void OnSetActive() override {
        m_name->setText(FromBytes(App().m_strCsvName));
        m_multi->setChecked(App().m_bCsvMultiFile);
        m_sequential->setChecked(App().m_bCsvSequential);
        m_index->setChecked(App().m_bCsvIndex);
        UpdateEnabling();
    }

private:
    void UpdateEnabling() {
        m_sequential->setEnabled(m_multi->isChecked());
        m_index->setEnabled(m_multi->isChecked());
    }
    void Store() {
        App().m_strCsvName = ToBytes(m_name->text());
        App().m_bCsvMultiFile = m_multi->isChecked();
        App().m_bCsvSequential = m_sequential->isChecked();
        App().m_bCsvIndex = m_index->isChecked();
    }

    QLineEdit* m_name;
    QCheckBox* m_multi;
    QCheckBox* m_sequential;
    QCheckBox* m_index;
};

// 152: the field that names each CSV file.
class CPage20 : public CListPage {
public:
    explicit CPage20(CKestrelSheet& sheet)
        : CListPage(sheet, kCsvKey, "Select key field",
                    "Select the table key field. The data from this field will be combined with "
                    "the CSV file name to create a unique name for each file.") {}
    bool validatePage() override {
        const std::optional<std::string> key = Choice();
        if (!key) return Refuse(kNoFieldMessage);
        App().m_strCsvKey = *key;
        return true;
    }

protected:
    void OnSetActive() override { Show(App().m_arrFields); }
};

// 156: the web-form project's name, which may be empty.
class CPage21 : public CKestrelPage {
public:
    explicit CPage21(CKestrelSheet& sheet)
        : CKestrelPage(sheet, kProjectName, "Data retrieval project name",
                       "Kestrel will create a Quarn script file, a Perl web server script, and a "
                       "HTML file containing a basic web form. All of these files will be named "
                       "after the above project name and written to the current  project "
                       "directory."),
          m_name(AddEdit(1000, nullptr)) {}
    bool validatePage() override {
        App().m_strProject = ToBytes(m_name->text());
        return true;
    }

protected:
    void OnSetActive() override { m_name->setText(FromBytes(App().m_strProject)); }

private:
    QLineEdit* m_name;
};

// 158, 159: answers in edits, stored on Next and on Back alike.
class CEditsPage : public CKestrelPage {
public:
    struct Field {
        int id;
        const char* label;
        std::string CKestrelApp::*answer;
    };
    CEditsPage(CKestrelSheet& sheet, int id, const char* caption, const char* text,
               std::initializer_list<Field> fields)
        : CKestrelPage(sheet, id, caption, text) {
        for (const Field& field : fields)
            m_fields.emplace_back(field.answer, AddEdit(field.id, field.label));
    }
    bool validatePage() override {
        Store();
        return true;
    }
    void cleanupPage() override { Store(); }

protected:
    void OnSetActive() override {
        for (auto& [answer, edit] : m_fields)
            edit->setText(FromBytes(App().*answer));
    }

private:
    void Store() {
        for (auto& [answer, edit] : m_fields)
            App().*answer = ToBytes(edit->text());
    }

    std::vector<std::pair<std::string CKestrelApp::*, QLineEdit*>> m_fields;
};

class CPage23 : public CEditsPage {
public:
    explicit CPage23(CKestrelSheet& sheet)
        : CEditsPage(sheet, kWebServer, "Web server details",
                     "Enter the path to the CGI script directory, the program used to send "
                     "e-mail on your web server and the URL for the page that is to be loaded "
                     "after the form is submitted.",
                     {{1000, "CGI directory", &CKestrelApp::m_strCgiDir},
                      {1017, "E-mail program", &CKestrelApp::m_strMailProgram},
                      {1018, "\"Data Accepted\" page URL", &CKestrelApp::m_strAcceptedUrl}}) {}
};

class CPage24 : public CEditsPage {
public:
    explicit CPage24(CKestrelSheet& sheet)
        : CEditsPage(sheet, kMailAccount, "E-Mail account details",
                     "Enter the e-mail address to which form data is to be sent, together with "
                     "your POP3 server domain name and your POP3 logon and password.",
                     {{1000, "E-mail address", &CKestrelApp::m_strEmail},
                      {1017, "POP3 server", &CKestrelApp::m_strPop3Server},
                      {1018, "POP3 logon", &CKestrelApp::m_strPop3Logon},
                      {1023, "POP3 password", &CKestrelApp::m_strPop3Password}}) {}
};

}  // namespace

void AddKestrelPages(CKestrelSheet& sheet) {
    new CPage1(sheet);
    new CPage9(sheet);
    new CPage2(sheet);
    new CPage3(sheet);
    new CPage15(sheet);
    new CPage16(sheet);
    new CPage4(sheet);
    new CPage11(sheet);
    new CPage12(sheet);
    new CPage13(sheet);
    new CPage5(sheet);
    new CPage14(sheet);
    new CPage10(sheet);
    new CPage18(sheet);
    new CPage6(sheet);
    new CPage7(sheet);
    new CPage8(sheet);
    new CPage19(sheet);
    new CPage20(sheet);
    new CPage21(sheet);
    new CPage22(sheet);
    new CPage23(sheet);
    new CPage24(sheet);
    new CPage25(sheet);
}

#pragma once
// CDataconWiz: the three-page connection wizard that builds a script's connection string, from an
// ODBC data source (page 132) or from a database file (page 133), after the choice between them
// (page 131). The catalog lists the data sources and drivers; the prompts show its messages and
// dialogs. Both must outlive the wizard. GUI thread only.

#include <QWizard>
#include <QWizardPage>
#include <optional>
#include <string>

#include "shared/odbc_catalog.h"
#include "shared/widgets/wizard_prompts.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;

class CDataconWiz : public QWizard {
    Q_OBJECT
public:
    enum PageId { kTypePage = 131, kDsnPage = 132, kFilePage = 133 };

    CDataconWiz(QWidget* parent, IOdbcCatalog& catalog, IWizardPrompts& prompts);

    // The string built by Finish; "" until then. Backslashes stand single.
    const std::string& ConnectionString() const { return m_strConnect; }

    IOdbcCatalog& Catalog() { return m_catalog; }
    IWizardPrompts& Prompts() { return m_prompts; }
    void SetConnectionString(std::string connection) { m_strConnect = std::move(connection); }

private:
    IOdbcCatalog& m_catalog;
    IWizardPrompts& m_prompts;
    std::string m_strConnect;
};

// Page 131, "Choose Data Connection Type".
class CDataconDlg1 : public QWizardPage {
    Q_OBJECT
public:
    explicit CDataconDlg1(CDataconWiz* wizard);
    // 0 database file, 1 ODBC DSN, -1 not chosen.
    int Choice() const;
    int nextId() const override;
    bool validatePage() override;

private:
    CDataconWiz* m_wizard;
    QButtonGroup* m_type;
};

// Page 132, "Select ODBC DSN".
class CDataconDlg2 : public QWizardPage {
    Q_OBJECT
public:
    explicit CDataconDlg2(CDataconWiz* wizard);
    void initializePage() override;
    int nextId() const override { return -1; }
    bool validatePage() override;

private:
    CDataconWiz* m_wizard;
    QListWidget* m_sources;
    QLineEdit* m_user;
    QLineEdit* m_password;
};

// Page 133, "Select Database File".
class CDataconDlg3 : public QWizardPage {
    Q_OBJECT
public:
    explicit CDataconDlg3(CDataconWiz* wizard);
    int nextId() const override { return -1; }
    bool validatePage() override;

private:
    void Browse();
    // The driver part chosen in the driver dialog; nullopt when there is none to take.
    std::optional<std::string> ChooseDriverPart();

    CDataconWiz* m_wizard;
    QLineEdit* m_path;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QCheckBox* m_manualDriver;
};

// Runs the connection wizard modally over `parent`: the connection string (single backslashes),
// or nullopt when the user cancelled.
std::optional<std::string> RunConnectionWizard(QWidget* parent, IOdbcCatalog& catalog,
                                               IWizardPrompts& prompts);
// The same with the real catalog (COdbcInfo) and the platform's dialogs.
std::optional<std::string> RunConnectionWizard(QWidget* parent);

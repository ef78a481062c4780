#pragma once
// CKestrelSheet: the script wizard's window, 24 pages in a wizard whose pages are the dialog
// numbers. The answers live in the CKestrelApp the sheet is given; pages read them when they
// become active and store them when the user leaves them. Questions outside the pages and the
// ODBC catalog come through seams, so tests answer them. GUI thread only.

#include <QWizard>
#include <QWizardPage>
#include <functional>
#include <memory>

#include "shared/odbc_catalog.h"

class CKestrelApp;
class IWizardPrompts;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QVBoxLayout;

class CKestrelSheet : public QWizard {
    Q_OBJECT
public:
    // Makes a catalog for one page step.
    using CatalogMaker = std::function<std::unique_ptr<IOdbcCatalog>()>;

    CKestrelSheet(CKestrelApp& app, IWizardPrompts& prompts, CatalogMaker catalogs,
                  QWidget* parent = nullptr);

    CKestrelApp& App() const { return m_app; }
    IWizardPrompts& Prompts() const { return m_prompts; }
    std::unique_ptr<IOdbcCatalog> Catalog() const { return m_catalogs(); }

protected:
    void initializePage(int id) override;
    void cleanupPage(int id) override;

private:
    CKestrelApp& m_app;
    IWizardPrompts& m_prompts;
    CatalogMaker m_catalogs;
    // Set while Back leaves a page, so that the page shown next knows it is entered again.
    bool m_bReturning = false;
};

// One page: its dialog number as object name and page id, its caption as the sheet's title while
// it shows, the picture at its left, the page's text and then its controls.
class CKestrelPage : public QWizardPage {
    Q_OBJECT
public:
    CKestrelPage(CKestrelSheet& sheet, int dialogId, const char* caption, const char* text);

    const char* Caption() const { return m_szCaption; }
    // Where Next leads with the answers as they are.
    int nextId() const override;
    void initializePage() override { OnSetActive(); }
    // Entered again by Back: the page loads itself as when entered forward.
    void OnReturn() { OnSetActive(); }

protected:
    // Each time the page is entered, forward or by Back.
    virtual void OnSetActive() {}

    CKestrelApp& App() const { return m_sheet.App(); }
    IWizardPrompts& Prompts() const { return m_sheet.Prompts(); }
    std::unique_ptr<IOdbcCatalog> Catalog() const { return m_sheet.Catalog(); }
    // Shows `message` (stop icon, "Kestrel") and keeps the page: false.
    bool Refuse(const QString& message);
    // A catalog that has listed the columns of `table` in the answers' data source; on failure
    // shows why, and the catalog lists none.
    std::unique_ptr<IOdbcCatalog> ColumnsOf(const std::string& table);

    QVBoxLayout* Controls() const { return m_controls; }
    QLineEdit* AddEdit(int id, const char* label);
    QCheckBox* AddCheck(int id, const char* text);
    QRadioButton* AddRadio(int id, const char* text);
    QListWidget* AddList(int id);

private:
    CKestrelSheet& m_sheet;
    const int m_nDialogId;
    const char* m_szCaption;
    QVBoxLayout* m_controls;
};

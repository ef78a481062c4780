#pragma once
// The folder picker of the settings pages: a tree of the file system's folders under a root,
// opened at an initial folder, whose OK a subclass may refuse folder by folder (Validate). GUI
// thread only.

#include <QDialog>
#include <string>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QTreeView;

class CFolderBrowser {
public:
    virtual ~CFolderBrowser() = default;

    // Shows the picker modally over `parent` (none when null). True with the chosen folder in
    // m_strFolder; false after Cancel, or when the root folder does not exist.
    bool Browse(QWidget* parent);

    // Whether OK may take `folder`; `status` is shown under the tree when m_bShowStatus is set.
    // Accepts every folder and leaves the status empty.
    virtual bool Validate(const std::string& folder, std::string& status);

    std::string m_strCaption;  // "" keeps the standard caption
    std::string m_strFolder;   // the result: at most 259 bytes, longer folders cannot be chosen
    std::string m_strRoot;     // "" shows the whole file system
    std::string m_strInitial;  // "" starts at the root
    std::string m_strPrompt;   // "" shows "Open"
    int m_bShowStatus = 0;
};

// The picker's window, made by CFolderBrowser::Browse; object names "prompt", "tree", "status",
// and "1" (OK) and "2" (Cancel) for its buttons.
class CFolderBrowserDlg : public QDialog {
    Q_OBJECT
public:
    CFolderBrowserDlg(QWidget* parent, CFolderBrowser& browser, const QString& root);
    // Selects `folder` and shows it.
    void Select(const QString& folder);
    QString Chosen() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSelection();
    // Brings the chosen folder into the middle of the view, its parents opened.
    void ScrollToChosen();

    CFolderBrowser& m_browser;
    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QLabel* m_status;
    QDialogButtonBox* m_buttons;
    bool m_bFollowChosen = true;  // until the user takes over the tree
};

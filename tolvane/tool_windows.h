#pragma once
// The two floating tool windows: a sorted list (id 1002) filling the window, whose double-click
// hands the chosen text to the main frame. Enter does nothing; Escape or the close box hides the
// window and reports it (the frame then records show code 0).

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

class CToolListWnd : public QDialog {
    Q_OBJECT
public:
    QListWidget* List() const { return m_list; }
    // The outer width the whole caption needs, with room for the window manager's side borders
    // (placed before it is framed, the window cannot know them yet).
    int OuterMinimumWidth() const { return minimumWidth() + 8; }

signals:
    void Chosen(const QString& text);
    void Closed();

protected:
    CToolListWnd(const QString& title, const QString& tip, QWidget* owner);
    // Adds `texts` and sorts the list without regard to case.
    void Fill(const std::vector<std::string>& texts);
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QListWidget* m_list;
};

// "Script Functions": the script and math function names.
class CScriptFuncWnd : public CToolListWnd {
    Q_OBJECT
public:
    CScriptFuncWnd(const std::vector<std::string>& scriptFunctions,
                   const std::vector<std::string>& mathFunctions, QWidget* owner);
};

// "HTML Tags": the tags of HtmlTagTexts().
class CHtmlTagsDlg : public CToolListWnd {
    Q_OBJECT
public:
    explicit CHtmlTagsDlg(QWidget* owner);
};

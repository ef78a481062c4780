#pragma once
// tolvane's main window: several scripts in child windows, the menus and three toolbars, the
// preview-page selector, the status bar with the lock panes and the caret line, the two tool
// windows, and the commands of the frame (Settings, Encode, Script Wizard, About). GUI thread
// only. The application data, the settings file, the prompts and the launcher outlive the frame.

#include <QList>
#include <QMainWindow>
#include <QPoint>
#include <functional>
#include <map>
#include <string>

#include "platform/profile_file.h"
#include "tolvane/ed_settings.h"
#include "tolvane/preview_file.h"
#include "tolvane/print_command.h"

class CEdApp;
class CEdView;
class CFindCommand;
class CHtmlTagsDlg;
class CLockPanes;
class CScriptFuncWnd;
class CToolBarEx;
class CToolListWnd;
class IEdPrompts;
class ILauncher;
class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `programDir` is where kestrel is looked for first.
    CMainFrame(const CEdApp& app, platform::ProfileFile& settings, IEdPrompts& prompts,
               ILauncher& launcher, std::string programDir);
    ~CMainFrame() override;

    // Opens each file of `files`, or a new empty document when there is none; false when a file
    // could not be opened (its message shown).
    bool OpenCommandLine(const QStringList& files);
    // Marks start-up complete: the tool windows follow the active view from now on.
    void SetStarted();
    // Start-up: shows the frame, opens the command line's files and marks start-up complete.
    // False when the one file named could not be opened (the program then ends).
    bool Start(const QStringList& files);

    QAction* Command(int id) const;
    CToolBarEx* ToolBar(int id) const;
    QComboBox* PreviewSelector() const { return m_previewSelector; }
    CScriptFuncWnd* ScriptFuncWnd() const { return m_scriptFunc; }
    CHtmlTagsDlg* HtmlTagsWnd() const { return m_htmlTags; }
    QMdiArea* MdiArea() const { return m_mdi; }
    CFindCommand* FindCommand() const { return m_find; }
    CPrintCommand& PrintCommand() { return m_print; }
    QLabel* LinePane() const { return m_linePane; }
    CLockPanes* LockPanes() const { return m_lockPanes; }
    int ShowCode(const CToolListWnd* window) const;

    bool IsEditorViewActive() const;
    CEdView* ActiveView() const;

    CEdView* NewDocument();
    // Opens `path`, or activates the window that already shows it; null after a failure.
    CEdView* OpenDocument(const QString& path);
    // Saves the active document (asking for a name when it has none, or always with `saveAs`).
    bool SaveDocument(CEdView* view, bool saveAs);

    // Command handlers.
    void OnFileOpen();
    void OnToolsWizard();
    void OnOptions();
    void EncodeRuntimeScript();
    void OnAbout();
    void ToggleToolWindow(CToolListWnd* window);
    // The preview-page selector's list: the page of every "&html" statement of the active view.
    void FillPreviewSelector();
    // Writes the preview of the selected page (and starts the browser on it when `browser`);
    // false only when no page is selected.
    bool BuildPreview(bool browser);
    // The refresh every 4 seconds (timer) when `autrefresh` is 1.
    void OnPreviewTimer();

protected:
    // Asks to save a modified document before its child window closes.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Refreshes the preview when the frame loses the focus and `autrefresh` is 2.
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int id, const QString& text,
                        const QKeySequence& keys = QKeySequence());
    void CreateMenus();
    void CreateToolBars();
    void CreateToolWindows();
    void PlaceWindows();
    void PlaceToolWindow(CToolListWnd* window, const char* prefix, int minWidth,
                         const CWindowPlace& frame, const CWindowPlace& area);
    CEdView* AddView(CEdView* view);
    void UpdateCaption();
    void UpdateCommands();
    // Paste only while an editor view is active and the clipboard holds plain text.
    void UpdatePasteCommand();
    void UpdateToolWindows();
    // The Window menu's list of the open documents, made again each time the menu opens.
    void FillWindowMenu();
    // After an insert: the frame active again and the view with the keyboard.
    void FocusView(CEdView* view);
    // Runs `insert` on the active view, if there is one, and then gives that view the keyboard.
    void InsertIntoActiveView(const std::function<void(CEdView&)>& insert);
    void AddRecentFile(const QString& path);
    void FillRecentFiles();
    bool SaveAllModified();
    void SavePlacement();

    const CEdApp& m_app;
    platform::ProfileFile& m_settings;
    IEdPrompts& m_prompts;
    ILauncher& m_launcher;
    std::string m_programDir;

    QMdiArea* m_mdi;
    QLabel* m_linePane;
    CLockPanes* m_lockPanes = nullptr;
    QComboBox* m_previewSelector = nullptr;
    std::map<int, QAction*> m_commands;
    std::map<int, CToolBarEx*> m_toolBars;
    QMenu* m_editMenu = nullptr;
    QMenu* m_insertMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QMenu* m_recentMenu = nullptr;
    QList<QAction*> m_windowEntries;
    CScriptFuncWnd* m_scriptFunc = nullptr;
    CHtmlTagsDlg* m_htmlTags = nullptr;
    std::map<const CToolListWnd*, int> m_showCodes;
    QPoint m_lastPos{-1, -1};
    bool m_bStarted = false;
    CPreviewFile m_preview;
    // Set by starting the browser; the next deactivation (the browser's window) refreshes nothing.
    bool m_bBrowserStarted = false;
    int m_nUntitled = 0;
    CFindCommand* m_find;
    CPrintCommand m_print;
};

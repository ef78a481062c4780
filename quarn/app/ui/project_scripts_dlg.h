#pragma once
// The Project Scripts window (183): a small modeless list of the active project's script files,
// from which the user runs (double click), edits and deletes them through the list's context
// menu. The main window creates it once and owns it; closing it only hides it. Its place, size and
// shown state are the global keys pswindowx1/y1/x2/y2 and pswindowvis. GUI thread only.

#include <QDialog>
#include <QListWidget>

class QAction;
class QMenu;
class IFrameDialogs;
class ILauncher;
class ITaskPoster;

// The sorted list of script names (1011). A right click selects the item under the pointer before
// the context menu opens.
class CScriptListBox : public QListWidget {
    Q_OBJECT
public:
    CScriptListBox(QWidget* parent, QMenu* menu);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* m_menu;
};

class CProjectScriptsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kShown = 4;
    static constexpr int kHidden = 0;

    // Jobs go to `tasks`; `dialogs` asks and reports; `launcher` starts the editor. All three
    // must outlive the window.
    CProjectScriptsDlg(QWidget* owner, ITaskPoster& tasks, IFrameDialogs& dialogs,
                       ILauncher& launcher);

    // Lists the scripts of the active project's script directory again.
    void RefreshList();
    // The commands of the context menu (also its actions 32848 to 32851), on the selected name.
    void Run();
    void Edit();
    void Delete();

    // Takes the saved place, size and shown state; with none saved the window stands left of
    // `frameTopLeft`, the main window's position. Applies no show state (ApplyShowState does).
    void RestorePlacement(QPoint frameTopLeft);
    void SavePlacement() const;
    int ShowState() const { return m_nShow; }
    // Records `show` (kShown or kHidden) and shows or hides the window accordingly.
    void SetShowState(int show);
    // Shows the window when its state is kShown; used when the main window appears again.
    void ApplyShowState();
    // The list takes no commands while a job runs.
    void SetListEnabled(bool enabled);

signals:
    void ShowStateChanged(bool shown);

public slots:
    // The close box and Esc hide the window and record it as hidden.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString SelectedName() const;
    void ShowError(std::string_view text);

    ITaskPoster& m_tasks;
    IFrameDialogs& m_dialogs;
    ILauncher& m_launcher;
    QMenu* m_menu;  // the list's context menu
    CScriptListBox* m_list;
    int m_nShow = kShown;
};

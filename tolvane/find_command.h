#pragma once
// Find (Ctrl+F), Find Next (F3) and Replace (Ctrl+H) of the main frame. One dialog shows at a
// time; the last search (text, replacement, options) is kept for Find Next and the next dialog.
// Every button acts on the view that the frame reports active when it is pressed. GUI thread
// only; the prompts and the frame outlive the command.

#include <QObject>
#include <QPointer>
#include <functional>

#include "tolvane/find_replace_dlg.h"

class CEdView;
class IEdPrompts;

class CFindCommand : public QObject {
    Q_OBJECT
public:
    CFindCommand(std::function<CEdView*()> activeView, IEdPrompts& prompts, QWidget* frame);

    void OnFind() { ShowDialog(CFindReplaceDlg::Mode::kFind); }
    void OnReplace() { ShowDialog(CFindReplaceDlg::Mode::kReplace); }
    // Repeats the last search; without one, opens Find.
    void OnFindNext();
    // The dialog shown last, null before the first.
    CFindReplaceDlg* Dialog() const { return m_dialog; }

private:
    void ShowDialog(CFindReplaceDlg::Mode mode);
    void TakeDialogFields();
    // Selects the next match in the active view; false (after saying so) when there is none.
    bool FindNext();
    // Replaces the selection when it is a match, then finds the next one.
    void ReplaceCurrent();
    // Replaces every match of the whole text as one undo step.
    void ReplaceAll();
    void CannotFind();

    std::function<CEdView*()> m_activeView;
    IEdPrompts& m_prompts;
    QWidget* m_frame;
    QPointer<CFindReplaceDlg> m_dialog;
    QString m_what;
    QString m_with;
    CSearchOptions m_options;
};

#pragma once
// The insert commands of the editing view: the Insert menu with its HTML submenu, and Tools
// "Process HTML". The table gives each command's id (the action's object name), menu text, keys
// and status-bar prompt; RunInsertCommand runs one on a view. GUI thread only.

#include <QString>
#include <functional>
#include <span>

class CEdView;
class IEdPrompts;
class QAction;
class QMenu;

struct InsertCommand {
    enum class Menu { kInsert, kHtml, kTools };
    int id;
    const char* text;
    const char* keys;    // QKeySequence's portable text, "" for none
    const char* prompt;  // nullptr for an HTML tag: the prompt is made from the menu text
    Menu menu;
    bool separatorBefore;
};

std::span<const InsertCommand> InsertCommands();

// The HTML command whose menu text is `tag` ("<B>", "<IMG SRC=\"\">"), 0 when there is none.
int InsertCommandForTag(const QString& tag);

// Puts every command into `insert` (the HTML tags into a submenu of it) or `tools`, in table
// order; `add` makes the command's action in the menu it is given and returns it.
void AddInsertCommands(QMenu* insert, QMenu* tools,
                       const std::function<QAction*(QMenu*, const InsertCommand&)>& add);

// Runs command `id` on `view`: asks in the command's dialog (over the view) and, unless it was
// cancelled, replaces the view's selection as one undo step. The view's remembered data
// statements are read and updated; the catalog is the real one. `prompts` outlives the call.
void RunInsertCommand(int id, CEdView& view, IEdPrompts& prompts);

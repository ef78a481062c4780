#pragma once
// What the Project Scripts window works with, apart from its widgets: the active project's script
// directory and the ".scp" files in it, the path of one of them, deleting one, and the window's
// saved placement. Paths are built from g_szProjectDir; the current directory, which a running
// job depends on, is never used or changed. Called on the user-interface thread.

#include <string>
#include <string_view>
#include <vector>

// Project key pscriptdir (leading white space removed, "\" read as "/") relative to the project
// directory unless absolute, in lexical normal form; the project directory itself when empty.
std::string ProjectScriptDirectory();

// The names of the entries of that directory that end in ".scp" (any case) and are not
// directories, sorted without regard to case. A directory that cannot be read lists none.
std::vector<std::string> ListProjectScripts();

// The script directory + "/" + `name`; "" names the directory itself.
std::string ProjectScriptPath(std::string_view name);

// Removes the listed script `name` (a link is removed, never followed). An empty name, a name with
// a "/" and a directory are left alone. True when a file was removed.
bool DeleteProjectScript(std::string_view name);

// The window's place and size and whether it is shown: global keys pswindowx2, pswindowy2,
// pswindowx1, pswindowy1 and pswindowvis.
struct ScriptsWindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int show = 0;  // 4 shown without activation, 0 hidden
    bool operator==(const ScriptsWindowPlacement&) const = default;
};

// The saved placement; with none saved the window stands 124 pixels left of the main window's
// left edge `frameLeft`, at its top `frameTop`.
ScriptsWindowPlacement ReadScriptsPlacement(int frameLeft, int frameTop);
void WriteScriptsPlacement(const ScriptsWindowPlacement& placement);

#pragma once
// What the Output Files dialog works with, apart from its widgets: the names it lists, the path
// its Edit button opens, and adding a name to the change list. Paths are built from
// g_szProjectDir and the active project's HTML root (project key roothtml); the current
// directory is never changed. Called on the user-interface thread under g_csProject.

#include <string>
#include <string_view>
#include <vector>

// The list box's entries: the names of htmlgen.chg when `changedOnly` (project key sco), else of
// htmlgen.log, one per line in file order. A file that is missing or cannot be read lists none.
std::vector<std::string> OutputFileNames(bool changedOnly);

// Adds `name` as a line of htmlgen.chg (created when missing) unless the file names it already
// (whole names), so the next changed-only upload sends it. A last line without its line end is
// ended first. Returns 1, or 0 with "ERROR 28- upload list file could not be opened." in
// `message` when the list cannot be read or written (it is then as it was).
int AddToChangeList(std::string_view name, std::string& message);

// The full path of the listed file `name` below the HTML root, for the editor. Returns 1, or 0
// with "ERROR 94- local HTML directory could not be opened. Check program settings." in
// `message`.
int OutputFilePath(std::string_view name, std::string& path, std::string& message);

#pragma once
// Reading the project's list files (htmlgen.log, dirgen.chg, ...): one name per line, relative to
// the HTML root. A line ends at LF and loses its trailing white space, so CR LF, LF and a lone
// trailing CR all end a line and a line of white space names nothing. Names are compared whole in
// their normalised form (output_path.h): "sub\a.html" and "sub/a.html" are one name, and
// "page.html" is never found inside "my page.html".

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

using NameSet = std::unordered_set<std::string>;

enum class ListFileRead { kRead, kMissing, kFailed };

// The bytes of the plain file `path`. kMissing when there is no such file; kFailed when it cannot
// be read or is not a plain file (a directory, a device).
ListFileRead ReadListFile(const std::string& path, std::string& bytes);

// The entry of `name` in an output or change list: the name and CR LF.
std::string ListEntry(std::string_view name);

std::string_view TrimTrailingSpace(std::string_view text);

// The non-blank lines of `text` (a last line without LF counts), each without its trailing white
// space. The views point into `text`.
std::vector<std::string_view> TrimmedLines(std::string_view text);

// How a list name is compared: its normalised form, or for a name that normalising refuses the
// name with "\" as "/" (such a name is still known once in a list, but never touched).
std::string NameKey(std::string_view name);

// The keys of every name in `text`.
NameSet NameKeys(std::string_view text);

// The names of `text` that may be touched under the HTML root, normalised and in list order;
// names that normalising refuses are left out.
std::vector<std::string> NamesUnderRoot(std::string_view text);

// The names under the root of the list `previous` that `current` (NameKeys of a list) no longer
// holds, in list order.
std::vector<std::string> StaleNames(std::string_view previous, const NameSet& current);

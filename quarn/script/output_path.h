#pragma once
// Names of output below the project's HTML root, as scripts, list files and settings give them.
// Every built-in that writes or deletes under the root passes a name through here first, so
// nothing it touches can lie outside the root.

#include <optional>
#include <string>
#include <string_view>

// `name` is relative to the HTML root. Returns it in lexical normal form: every "\" becomes "/",
// empty and "." components are dropped ("a\b//./c/" gives "a/b/c"), nothing else changes (case
// and blanks are kept; the file system is not consulted, so links are not resolved).
// Refused (nullopt): an absolute name (starting with "/" or "\"), a name holding ":", a name with
// a ".." component anywhere, a name holding a NUL, CR or LF byte (a list line could not hold it),
// and a name that leaves nothing ("", ".", "./"), which would be the root itself.
std::optional<std::string> NormaliseOutputName(std::string_view name);

// A name a script or the external parser writes below the HTML root, normalised; nullopt when it
// is refused: it starts with "./" or ".\", or NormaliseOutputName refuses it.
std::optional<std::string> CheckedOutputName(std::string_view name);

// A path from a script or the settings as the file system takes it: "\" is a separator.
std::string FileSystemPath(std::string_view path);

// `name` resolved against `root` (the HTML root, or the project directory for the list files):
// "\" separates like "/", an absolute name stays absolute, and nothing is normalised or checked.
std::string PathBelowRoot(std::string_view root, std::string_view name);

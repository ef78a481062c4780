#pragma once
// Where the active project's files are, as full paths, so that no job needs to change the
// current directory.

#include <string>
#include <string_view>

// The process's current directory, or "" when it cannot be read.
std::string CurrentDirectory();

// g_szProjectDir, or "." while it is not set.
std::string ProjectDirectory();

// ProjectDirectory() + "/" + name.
std::string ProjectFile(std::string_view name);

// True when `path` is a directory this process can open.
bool IsOpenableDirectory(const std::string& path);

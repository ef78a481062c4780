#pragma once
// The folder a folder browser opens at, from the text a field holds.

#include <string>
#include <string_view>

// `folder` without trailing white space and then without one trailing '\' or '/', unless that
// separator is all that is left (the root stays the root).
std::string BrowseStartFolder(std::string_view folder);

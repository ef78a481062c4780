#pragma once
// Touching entries below an open root directory by normalised name (output_path.h) without
// following a link on the way down, so a link inside the root never leads a deletion outside it.

#include <string>
#include <string_view>
#include <utility>

#include "platform/file_descriptor.h"

// The directory `path`, opened for use as a root; empty when it cannot be opened.
platform::UniqueFd OpenDirectory(const std::string& path);

// Splits a normalised name into its directory part ("" for none) and its last component.
std::pair<std::string_view, std::string> SplitLast(std::string_view name);

// Opens the directory `dir` (a normalised name, "" for `base` itself) below `base`, following no
// link on the way: a link in the path makes it fail.
platform::UniqueFd OpenDirBeneath(int base, std::string_view dir);

// Removes the entry `name` (a normalised name) below `root` unless it is a directory. A link is
// removed as an entry.
void DeleteFileBeneath(int root, std::string_view name);

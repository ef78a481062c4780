#pragma once
// The programs the main window starts (editor, wizard, tolvane, list viewer, browser, database
// front end): the command line each one gets, and the seam that starts it. A window passes the
// working directory along instead of changing its own, which belongs to the task thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shared/launcher.h"

// ResolveProgramIn and SettingCommandIn for quarn's program directory.
std::string ResolveProgram(const std::string& name);

std::optional<LaunchCommand> SettingCommand(std::string_view setting,
                                            std::vector<std::string> extra,
                                            std::string workingDirectory);

// The browser setting `webb` opening `page`; with no browser set, the desktop's default.
LaunchCommand BrowserCommand(std::string_view webb, std::string page);

// A program shipped in the program directory ("kestrel", "tolvane"), without arguments.
LaunchCommand ProgramDirCommand(std::string_view name);

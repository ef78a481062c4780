#pragma once
// Making another project the active one, for "/p PROJECT" on the command line and the remote
// PROJECT command.

#include <string>

// Makes `name` the active project when it is a valid project name (at most kMaxPath bytes)
// listed in the project list ("profile0", "profile1", ...) whose directory below "projects" can
// be entered: that directory becomes the current directory and g_szProjectDir, the name becomes
// g_strProject and the settings key defprofile. Returns 1, or 0 with nothing changed. The caller
// holds g_csProject, or runs before any other thread exists.
int EnterListedProject(const std::string& name);

#pragma once
// Changing the active project. The caller holds g_csProject, which guards the current directory
// and the active project.

#include <string>

// Makes `name` the active project when it is a valid project name (CheckProjectName), listed in
// the project list ("profile0", "profile1", ...) and its directory below "projects" can be
// entered: that directory becomes the current directory and g_szProjectDir, and `name`
// g_strProject. Returns 0 and changes nothing otherwise. The settings key defprofile is the
// caller's.
int EnterListedProject(const std::string& name);

// EnterListedProject, and on success the settings key defprofile := `name`, so that the next
// start opens it too.
int SwitchActiveProject(const std::string& name);

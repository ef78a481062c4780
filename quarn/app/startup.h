#pragma once
// quarn's start-up, from finding its program directory to entering the active project: the
// settings file, the program title, the single-instance lock, the active project and its
// directory. Runs on the main thread before any other thread exists.

#include <string>
#include <string_view>
#include <vector>

#include "platform/single_instance.h"

inline constexpr std::string_view kInstanceLockName = "Quarn1RunOnlyAllowed";
// What a second start tells the user before it ends.
inline constexpr std::string_view kAlreadyRunningNotice =
    "You have tried to run the program when it is already running. To activate the program "
    "window, double-click on the program icon in the Windows taskbar status area.";

// Follows the reason the lock could not be taken.
inline constexpr std::string_view kRunsUnlockedNotice =
    "; the program runs without its single-instance lock.";

// Where the instance that holds the lock in `lockDir` listens for a later start.
std::string InstanceChannelPath(const std::string& lockDir);

struct StartupPaths {
    std::string programDir;           // absolute; Quarn.ini and "projects" live in it
    platform::LockDirectory lockDir;  // where the single-instance lock file lives
};

enum class StartupResult {
    kReady,           // the project's directory is the current directory
    kAlreadyRunning,  // another instance holds the lock; the program ends
    kFailed,          // no project directory could be made or entered; the program ends
};

// On kReady g_strProgramDir, g_settings, g_strProgramTitle, g_strProject and g_szProjectDir are
// set, and `lock` holds the instance lock unless the settings key allowmultiinst is set.
// `notices` receives, in order, the texts start-up shows the user (a project directory that
// could not be made, the reason the lock could not be taken (a refused lock folder included:
// the program then runs without the lock), and on kAlreadyRunning or kFailed the reason the
// program ends).
StartupResult StartQuarn(const StartupPaths& paths, platform::SingleInstanceLock& lock,
                         std::vector<std::string>& notices);

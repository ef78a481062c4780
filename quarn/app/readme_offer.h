#pragma once
// The readme that start-up offers (global key readme): what the prompt's answer does, apart from
// the window that asks.

#include "quarn/app/launch_commands.h"

// True when start-up offers the readme.
bool ReadmeWanted();
// The desktop's viewer opening readme.txt of the program directory.
LaunchCommand ReadmeCommand();
// `view` starts the viewer through `launcher`, without waiting for it; a ticked `dontShowAgain`
// writes readme = 0. 0 when the viewer could not be started or the key not written, else 1.
int AnswerReadme(bool view, bool dontShowAgain, ILauncher& launcher);

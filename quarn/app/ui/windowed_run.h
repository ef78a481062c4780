#pragma once
// quarn with its main window: after start-up, the task thread, the remote-control server and
// the scheduler run as in the headless service, and the window shows what they post until the
// user ends the program.

#include <functional>
#include <string>

// True when a window can be shown: DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names a
// platform.
bool HasDisplay();

// Runs the windowed program on the calling (main) thread; start-up must have succeeded. Lines
// that cannot wait for the window (a thread that did not start) go to `print`. Returns the exit
// status.
int RunWindowed(int argc, char** argv, const std::function<void(const std::string&)>& print);

#pragma once
// quarn with its main window: after start-up, the task thread, the remote-control server and
// the scheduler run as in the headless service, and the window shows what they post until the
// user ends the program.

#include <functional>
#include <string>

// True when a window can be shown: DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM names a
// platform.
bool HasDisplay();

// Runs the windowed program on the calling (main) thread; start-up must have succeeded. A later
// start that asks at `channelPath` brings the window to the front ("" when this instance holds
// no lock and so listens nowhere). Lines that cannot wait for the window (a thread that did not
// start, a channel that cannot listen) go to `print`. Returns the exit status.
int RunWindowed(int argc, char** argv, const std::string& channelPath,
                const std::function<void(const std::string&)>& print);

// A start that found quarn running: asks the running instance at `channelPath` to come to the
// front, then shows the already-running notice until the user closes it or a stop signal
// arrives. Returns the exit status (1: this start did not run).
int RunAlreadyRunning(int argc, char** argv, const std::string& channelPath);

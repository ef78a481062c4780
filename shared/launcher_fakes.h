#pragma once
// A launcher for the window tests of every program: it records the programs a window starts
// instead of starting them. Tests only.

#include <vector>

#include "shared/launcher.h"

// Records each command; `fail` makes every start fail.
class CRecordingLauncher : public ILauncher {
public:
    std::vector<LaunchCommand> launched;
    bool fail = false;
    int Launch(const LaunchCommand& command) override {
        launched.push_back(command);
        return fail ? 0 : 1;
    }
};

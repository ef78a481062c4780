#pragma once
// Starting another program without waiting for it, behind a seam that window tests replace with
// a recording fake. A window passes the working directory along instead of changing its own.

#include <string>
#include <vector>

struct LaunchCommand {
    std::string program;  // a path, or a bare name left to PATH
    std::vector<std::string> args;
    std::string workingDirectory;  // "" keeps this process's
    bool operator==(const LaunchCommand&) const = default;
};

// Starts programs without waiting for them.
class ILauncher {
public:
    virtual ~ILauncher() = default;
    // 1 when the program was started, 0 when it could not be.
    virtual int Launch(const LaunchCommand& command) = 0;
};

// Starts the real process; a thread of its own reaps it when it ends.
class CProcessLauncher : public ILauncher {
public:
    int Launch(const LaunchCommand& command) override;
};

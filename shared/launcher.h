#pragma once
// Starting another program without waiting for it, behind a seam that window tests replace with
// a recording fake. A window passes the working directory along instead of changing its own.

#include <optional>
#include <string>
#include <string_view>
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

// Words of a program setting: blanks separate them, double quotes group blanks into one.
std::vector<std::string> SplitCommandLine(std::string_view text);

// "notepad" (the viewer of the old default settings) becomes "xdg-open"; another bare name is
// taken from `programDir` when it is there, else left to PATH; a path stays.
std::string ResolveProgramIn(const std::string& programDir, const std::string& name);

// The program setting `setting` (leading white space ignored) with `extra` arguments appended,
// run in `workingDirectory`; nullopt when the setting is empty.
std::optional<LaunchCommand> SettingCommandIn(const std::string& programDir,
                                              std::string_view setting,
                                              std::vector<std::string> extra,
                                              std::string workingDirectory);

// The browser setting `webb` opening `page` (one argument, blanks and all); with no browser set,
// the desktop's default.
LaunchCommand BrowserCommandIn(const std::string& programDir, std::string_view webb,
                               std::string page);

#pragma once
// quarn's command line: "/p [PROJECT]" publishes a project (the active one when none is named),
// any other argument that is no flag names a script file to run. Other flags are accepted and do
// nothing. A flag starts with "-", or with "/" when no further "/" or "." follows, so that an
// absolute path such as "/srv/site/Script1.scp" is a file, not a flag. "--help" and "-h" ask for
// kCommandLineUsage instead of a start.

#include <span>
#include <string>
#include <string_view>

inline constexpr std::string_view kCommandLineUsage =
    "Usage: quarn [SCRIPTFILE | /p [PROJECT]]\n"
    "  SCRIPTFILE    run the script file, then end\n"
    "  /p [PROJECT]  publish the project (the active one when none is named), then end\n"
    "Without a job quarn opens its main window, or without a display runs as a service\n"
    "until it is stopped (SIGTERM or SIGINT).\n";

struct CommandLine {
    bool runFromCommandLine = false;  // a job was asked for: a script file or "/p"
    bool commandLineProject = false;  // the job is "/p": publish
    // The first argument that is no flag: the script file, or with "/p" the project ("" for the
    // active one). Later such arguments are ignored.
    std::string name;
    bool help = false;  // "--help" or "-h": show the usage and end
};

// `args` are the arguments after the program's own name.
CommandLine ParseCommandLine(std::span<const std::string> args);

#pragma once
// quarn's command line: "/p [PROJECT]" publishes a project (the active one when none is named),
// any other argument that is no flag names a script file to run. Other flags are accepted and do
// nothing. A flag starts with "-", or with "/" when no further "/" or "." follows, so that an
// absolute path such as "/srv/site/Script1.scp" is a file, not a flag.

#include <span>
#include <string>

struct CommandLine {
    bool runFromCommandLine = false;  // a job was asked for: a script file or "/p"
    bool commandLineProject = false;  // the job is "/p": publish
    // The first argument that is no flag: the script file, or with "/p" the project ("" for the
    // active one). Later such arguments are ignored.
    std::string name;
};

// `args` are the arguments after the program's own name.
CommandLine ParseCommandLine(std::span<const std::string> args);

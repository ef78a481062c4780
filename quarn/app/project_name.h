#pragma once
// The rules a project name obeys wherever one is taken: the New Project dialog, "/p" on the
// command line, the settings key defprofile and the remote PROJECT command. A name is also the
// name of its directory below "projects" and of its settings section, so it must not climb out
// of "projects" nor collide with the sections "global" and "tolvane".

#include <string_view>

enum class ProjectNameFault {
    kNone,
    kEmpty,             // nothing left after the leading white space
    kReserved,          // "global", "tolvane" (any case), "." or "..": shown as already existing
    kIllegalCharacter,  // \ / : * ? " < > | [ ] or a control character
    kEndsInBlank,
};

// Checks `name` as the user gave it, leading white space already removed (New Project removes
// it; other sources are taken as they are).
ProjectNameFault CheckProjectName(std::string_view name);

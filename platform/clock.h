#pragma once
// The wall clock as the engine reads it. Tests replace the source to run at a fixed time; the
// replacement is process-wide, so a test restores the previous source when it is done.

#include <ctime>

namespace platform {

using TimeSource = std::time_t (*)();

// Seconds since the epoch from the current source (the system clock unless replaced).
std::time_t CurrentTime();

// Makes `source` the clock; nullptr restores the system clock. Returns the previous source
// (nullptr for the system clock). Thread-safe.
TimeSource SetTimeSource(TimeSource source);

}  // namespace platform

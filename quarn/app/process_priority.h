#pragma once
// The process priority of the settings key priority, as nice values: Linux keeps one per
// thread, and a thread starts with its creator's, so the main thread sets it before it starts
// the others (the idle threads then lower their own).

#include <optional>
#include <string>

// The nice value for a value of the key priority: 0 high, 1 normal, 2 idle; none for any other
// value, which leaves the priority as it is.
std::optional<int> NiceForPriorityClass(int priorityClass);

// The nice value of the idle priority that the task thread and the scheduler run at.
inline constexpr int kIdleNice = 19;

// Sets the calling thread's nice value (Linux keeps one per thread). 0 with the system's reason
// in `reason` when it refuses.
int SetThreadNice(int nice, std::string* reason);

// Sets the calling thread's nice value for a value of the key priority (any other value changes
// nothing). Returns 0 with `message` when the system refuses it; the priority then stays.
int SetProcessPriorityClass(int priorityClass, std::string* message);

// Sets the calling thread's nice value from the global key priority. Returns 0 with `message`
// when the system refuses it (raising the priority needs a privilege); the priority then stays.
int SetProcessPriorityFromSettings(std::string* message);

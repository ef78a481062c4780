#include "quarn/app/process_priority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "quarn/services/settings.h"

std::optional<int> NiceForPriorityClass(int priorityClass) {
    switch (priorityClass) {
        case 0:
            return -10;
        case 1:
            return 0;
        case 2:
            return kIdleNice;
        default:
            return std::nullopt;
    }
}

int SetProcessPriorityFromSettings(std::string* message) {
    return SetProcessPriorityClass(g_settings.GetGlobal(global_key::priority), message);
}

int SetProcessPriorityClass(int priorityClass, std::string* message) {
    const std::optional<int> nice = NiceForPriorityClass(priorityClass);
    if (!nice) return 1;
    std::string reason;
    if (SetThreadNice(*nice, &reason)) return 1;
    *message = "Unable to set the process priority: " + reason;
    return 0;
}

int SetThreadNice(int nice, std::string* reason) {
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice) == 0) return 1;
    *reason = std::strerror(errno);
    return 0;
}

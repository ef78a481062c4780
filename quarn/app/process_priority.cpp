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
            return 19;
        default:
            return std::nullopt;
    }
}

int SetProcessPriorityFromSettings(std::string* message) {
    const std::optional<int> nice =
        NiceForPriorityClass(g_settings.GetGlobal(global_key::priority));
    if (!nice) return 1;
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), *nice) == 0) return 1;
    *message = std::string("Unable to set the process priority: ") + std::strerror(errno);
    return 0;
}

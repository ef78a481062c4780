#include "quarn/services/settings_keys.h"

std::string ProjectListKey(int index) {
    return "profile" + std::to_string(index);
}

std::string ScheduleTimeKey(int index) {
    return "ctime" + std::to_string(index);
}

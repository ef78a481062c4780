#include "quarn/services/event_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/clock.h"
#include "quarn/services/program_context.h"

std::string EventLogPath() {
    return g_strProgramDir + "/logfile.txt";
}

std::string EventLogLine(std::time_t when, std::string_view project, std::string_view text) {
    std::tm local{};
    ::localtime_r(&when, &local);
    // Numeric fields only, so the process locale cannot change what the viewer parses.
    char stamp[32];
    const std::size_t length = std::strftime(stamp, sizeof stamp, "%m/%d/%y %H:%M:%S", &local);
    std::string line(stamp, length);
    line.append("  <").append(project).append("> ").append(text).append("\r\n");
    return line;
}

bool AppendEventLog(std::string_view text) {
    return AppendEventLog(g_strProject.Get(), text);
}

bool AppendEventLog(std::string_view project, std::string_view text) {
    const std::string line = EventLogLine(platform::CurrentTime(), project, text);
    const int fd = ::open(EventLogPath().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ssize_t written = 0;
    do {
        written = ::write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    const bool closed = ::close(fd) == 0;
    return written == static_cast<ssize_t>(line.size()) && closed;
}

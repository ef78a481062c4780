#pragma once
// A job for the task thread, and the two seams around it: where jobs are posted and where the end
// of a job that a remote connection asked for is reported. Each job carries its own script path
// and requester, so a job posted while another waits or runs never changes that one.

#include <cstdint>
#include <string>

// Job codes (wParam of WM_TASKCMD).
enum TaskCode : unsigned {
    TASK_RUN_SCRIPT = 0,
    TASK_UPLOAD = 1,
    TASK_PUBLISH = 2,
    TASK_AUTOPUBLISH = 12,
};

// A remote connection's id; ids are never reused within a process.
using RequesterId = std::int64_t;
inline constexpr RequesterId kNoRequester = -1;

struct TaskJob {
    unsigned code = TASK_RUN_SCRIPT;
    int param = 0;           // TASK_UPLOAD: the upload type; 0 otherwise
    std::string scriptPath;  // TASK_RUN_SCRIPT: at most kMaxPath bytes
    RequesterId requester = kNoRequester;
};

// Receives jobs. Thread-safe; posting never waits for a running job.
class ITaskPoster {
public:
    virtual ~ITaskPoster() = default;
    virtual void PostJob(TaskJob job) = 0;
};

// Told, on the task thread, when a job with a requester has ended (result 1 or 0); the job's
// message is then in the active project's key lstprojerrmsg when it failed. Thread-safe.
class IJobResultSink {
public:
    virtual ~IJobResultSink() = default;
    virtual void OnJobResult(RequesterId requester, int result) = 0;
};

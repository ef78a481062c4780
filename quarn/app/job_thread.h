#pragma once
// The thread that runs quarn's jobs. Its stack is far larger than a default thread's, so that the
// interpreter's nesting limits (blocks, subroutine calls, includes, runscript levels) are reached
// long before the stack is.

#include <pthread.h>

#include <cstddef>
#include <functional>
#include <string>

class CJobThread {
public:
    static constexpr std::size_t kStackSize = std::size_t{64} << 20;

    explicit CJobThread(std::function<void()> body) : m_body(std::move(body)) {}
    // Joins a thread that was started and has not been joined.
    ~CJobThread();
    CJobThread(const CJobThread&) = delete;
    CJobThread& operator=(const CJobThread&) = delete;

    // Starts the body on a new thread with a stack of kStackSize bytes. False with `error` when
    // the thread cannot be made; the body then never runs.
    bool Start(std::string* error);
    // Waits until the body has returned.
    void Join();

private:
    static void* Run(void* self);

    std::function<void()> m_body;
    pthread_t m_thread{};
    bool m_joinable = false;
};

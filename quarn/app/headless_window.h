#pragma once
// The main window of a quarn that has no display: the main thread empties the queue that the
// task thread and the server post to, writes each status line to `out`, and follows the jobs'
// busy and error notifications.

#include <chrono>
#include <cstdio>
#include <functional>

#include "platform/message_queue.h"

class CHeadlessWindow {
public:
    explicit CHeadlessWindow(std::FILE* out) : m_out(out) {}
    CHeadlessWindow(const CHeadlessWindow&) = delete;
    CHeadlessWindow& operator=(const CHeadlessWindow&) = delete;

    platform::MessageQueue& Queue() { return m_queue; }

    // Handles messages until `done` returns true; `done` is asked after each message, after each
    // Wake() of the queue and at least every 100 ms.
    void PumpUntil(const std::function<bool()>& done);
    // Handles messages until the first job posted after construction has ended: its FRAME_IDLE
    // has arrived and g_bTaskBusy is 0, so its final line is written too. Returns 1 when that
    // job posted no FRAME_ERROR, else 0.
    int WaitForFirstJob();

private:
    void Handle(const platform::PostedMessage& message);

    std::FILE* m_out;
    platform::MessageQueue m_queue;
    int m_idles = 0;
    int m_errorsBeforeFirstIdle = 0;
};

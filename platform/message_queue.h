#pragma once
// Posted messages between threads: each receiving thread (or window) owns one queue; any thread
// may post to it. Posting never blocks on the receiver.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace platform {

constexpr unsigned WM_USER = 0x0400;

struct PostedMessage {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Thread-safe FIFO of posted messages.
class MessageQueue {
public:
    void Post(PostedMessage message);
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        Post(PostedMessage{message, wParam, lParam});
    }

    // Takes the oldest message without waiting; false when the queue is empty.
    bool TryTake(PostedMessage& out);
    // Waits up to `timeout` for a message; false when none arrived.
    bool WaitTake(PostedMessage& out, std::chrono::milliseconds timeout);
    // Waits until a message arrives.
    PostedMessage Take();
    // Ends the WaitTake in progress, or else the next one, at once and without a message: a
    // receiver that waits for a state of its own besides messages learns that it may have changed.
    void Wake();

    // `wakeUp` is called on the posting thread after each Post, so a receiver whose thread runs
    // an event loop of its own learns that the queue holds something. It must not block and must
    // not post; an empty function removes it. Once SetWakeUp returns, the previous one is no
    // longer running and is never called again.
    void SetWakeUp(std::function<void()> wakeUp);

private:
    std::mutex m_wakeUpMutex;
    std::function<void()> m_wakeUp;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<PostedMessage> m_messages;
    bool m_woken = false;  // a Wake() that no WaitTake has consumed yet
};

}  // namespace platform

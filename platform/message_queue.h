#pragma once
// Posted messages between threads: each receiving thread (or window) owns one queue; any thread
// may post to it. Posting never blocks on the receiver.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
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

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<PostedMessage> m_messages;
};

}  // namespace platform

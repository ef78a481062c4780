#pragma once
// Wakes a poll() loop from other threads: an eventfd that any thread signals and the loop polls
// for POLLIN and drains. Signals given before the loop polls are not lost; several signals may
// show as one. Non-blocking and close-on-exec.

#include <string>

#include "platform/file_descriptor.h"

namespace platform {

class WakeEvent {
public:
    // False with `error` when the descriptor cannot be made.
    bool Open(std::string* error);
    // Thread-safe; never blocks.
    void Signal();
    // Clears every signal given so far. Called by the polling thread.
    void Drain();
    int Descriptor() const { return m_fd.Get(); }

private:
    UniqueFd m_fd;
};

}  // namespace platform

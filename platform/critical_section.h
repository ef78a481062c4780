#pragma once
// A critical section re-enters on the thread that holds it, so it is a recursive mutex. A
// user-interface thread only ever try_lock()s one and treats failure as busy.

#include <mutex>

namespace platform {

using CriticalSection = std::recursive_mutex;

}  // namespace platform

#pragma once
// A value shared between threads: written under its own mutex, read as a copy.

#include <mutex>
#include <utility>

namespace platform {

template <typename T>
class Guarded {
public:
    Guarded() = default;
    explicit Guarded(T value) : m_value(std::move(value)) {}
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    T Get() const {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    void Set(T value) {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};

}  // namespace platform

#pragma once
// The engine's memory rule: no text it builds or reads in passes kMaxTextLength bytes, and
// running out of memory fails the operation with ERROR 120 (kOutOfMemory) instead of ending the
// task thread.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>

// Longest text the engine builds or reads in, and the largest variable store: 2^31 - 1 bytes.
inline constexpr std::size_t kMaxTextLength = std::numeric_limits<std::int32_t>::max();
// "ERROR 120- unable to allocate memory.": memory ran out, or a text would pass kMaxTextLength.
inline constexpr int kOutOfMemory = 120;

// operation() when memory suffices; outOfMemory() when an allocation in it fails (std::bad_alloc,
// or std::length_error from a container asked for more than it can hold). What the operation
// changed before the failure stays as it was left.
template <typename Operation, typename OutOfMemory>
auto CatchOutOfMemory(Operation&& operation, OutOfMemory&& outOfMemory) -> decltype(operation()) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    } catch (const std::length_error&) {
        return outOfMemory();
    }
}

#pragma once
// The growable text buffer that collects one generated file (or a decoded script, an export, a
// preview page). The text is bytes and is always followed by a zero byte, which is not part of
// the length. Not thread-safe: one owner at a time.
//
// Appends and growth never throw and never end the program: when memory runs out, or when the
// text would pass kMaxLength, they return 0 and leave the text as it was. The caller reports that
// as ERROR 35.

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

class COutputBuffer {
public:
    static constexpr std::int64_t kInitialCapacity = 32768;
    // Longest text: the text and its zero byte stay within a signed 32-bit size.
    static constexpr std::int64_t kMaxLength = std::numeric_limits<std::int32_t>::max() - 1;

    // Allocates kInitialCapacity + 1 bytes. When even that fails the buffer starts empty with
    // capacity 0, and the first append that needs room tries again.
    COutputBuffer();
    COutputBuffer(const COutputBuffer&) = delete;
    COutputBuffer& operator=(const COutputBuffer&) = delete;

    // The capacity after one growth step from `capacity`: doubled up to 999,999, then raised by
    // 1,000,000, and never beyond kMaxLength.
    static std::int64_t NextCapacity(std::int64_t capacity);

    int AppendChar(char c) {
        if (m_length >= m_capacity) return AppendString(std::string_view(&c, 1));
        m_buffer.get()[m_length++] = c;
        m_buffer.get()[m_length] = '\0';
        return 1;
    }
    // Appends a zero-ended text (nothing for a null pointer).
    int AppendText(const char* text);
    // Appends `text` whole, zero bytes included.
    int AppendString(std::string_view text);
    // One growth step (NextCapacity). 0 when no memory or already at kMaxLength.
    int Grow();

    // Compaction A: drops the leading white space of every line and every line that holds only
    // white space (bytes 0-32 except LF count as white space, tab and CR included).
    void CompactLines();
    // Compaction B: as A, but a tab counts as content, so leading tabs stay.
    void CompactLinesKeepTabs();

    // True when `path` is a file whose bytes equal GetWrittenText(). A missing or unreadable file
    // counts as different, so it gets rewritten; so does anything but a plain file (a directory,
    // a pipe, a device), which is never read from.
    bool SameAsFile(const std::string& path) const;

    // The byte at `index`; the zero byte for index == GetLength(), and also for any index
    // outside the text.
    char GetAt(std::int64_t index) const {
        return index >= 0 && index <= m_length ? GetBuffer()[index] : '\0';
    }
    std::int64_t GetLength() const { return m_length; }
    std::int64_t GetCapacity() const { return m_capacity; }
    // The text, followed by a zero byte. Valid until the next append or growth.
    const char* GetBuffer() const { return m_buffer ? m_buffer.get() : ""; }
    // What a file written from this buffer holds: the text up to its first zero byte.
    std::string_view GetWrittenText() const;

private:
    struct FreeDeleter {
        void operator()(char* p) const { std::free(p); }
    };

    // Grows by whole steps until `needed` bytes fit. 0 when the steps would pass kMaxLength or
    // the memory is not there; the text is then unchanged.
    int Reserve(std::int64_t needed);
    int Reallocate(std::int64_t capacity);
    void Compact(bool tabIsContent);

    std::int64_t m_capacity = 0;
    std::int64_t m_length = 0;
    std::unique_ptr<char, FreeDeleter> m_buffer;
};

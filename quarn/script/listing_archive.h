#pragma once
// The temporary listing of one script run ("lt<level>"): every byte the run writes to its listing
// goes through a 64 KiB buffer into the file, so that a listing of megabytes costs few writes. A
// failed write is remembered rather than reported at once, since the block runner writes byte by
// byte; Close then fails, so a listing that lost bytes is never taken for a complete one.

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

class CListingArchive {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    CListingArchive() = default;
    // Closes the file if still open; its result is lost, so callers Close first.
    ~CListingArchive();
    CListingArchive(const CListingArchive&) = delete;
    CListingArchive& operator=(const CListingArchive&) = delete;

    // Creates (or truncates) `path` for writing. 0 when it cannot be created.
    int Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }

    void Write(std::string_view bytes) {
        if (bytes.size() <= kBufferSize - m_nUsed) {
            std::memcpy(m_buffer.get() + m_nUsed, bytes.data(), bytes.size());
            m_nUsed += bytes.size();
            return;
        }
        WriteThrough(bytes);
    }

    // Writes what is buffered and closes the file. 1 when every write and the close succeeded;
    // 0 otherwise (also when the file was never open).
    int Close();

private:
    void Flush();
    void WriteThrough(std::string_view bytes);
    void WriteAll(const char* data, std::size_t size);

    int m_fd = -1;
    bool m_bFailed = false;
    std::size_t m_nUsed = 0;
    // On the heap: nested runs each hold a listing on the stack.
    std::unique_ptr<char[]> m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
};

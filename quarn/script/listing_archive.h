#pragma once
// The temporary listing of one script run ("lt<level>"): every byte the run writes to its listing
// goes through a 64 KiB buffer into the file, so that a listing of megabytes costs few writes. A
// failed write is remembered rather than reported at once, since the block runner writes byte by
// byte; Close then fails, so a listing that lost bytes is never taken for a complete one.
//
// A listing holds at most its limit: a script that logs a growing value in a loop would
// otherwise fill the disk. The byte that would pass the limit, and everything after it, is left
// out; one closing line (CutLine) says so, on a line of its own. Leaving out is no failure.

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

class CListingArchive {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    static constexpr std::size_t kDefaultLimit = 64 * 1024 * 1024;

    // The closing line of a listing cut at `limit` bytes, with its CR LF.
    static std::string CutLine(std::size_t limit);

    explicit CListingArchive(std::size_t limit = kDefaultLimit) : m_nRoom(limit), m_nLimit(limit) {}
    // Closes the file if still open; its result is lost, so callers Close first.
    ~CListingArchive();
    CListingArchive(const CListingArchive&) = delete;
    CListingArchive& operator=(const CListingArchive&) = delete;

    // Creates (or truncates) `path` for writing. 0 when it cannot be created.
    int Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }

    void Write(std::string_view bytes) {
        if (bytes.size() <= kBufferSize - m_nUsed && bytes.size() <= m_nRoom) {
            std::memcpy(m_buffer.get() + m_nUsed, bytes.data(), bytes.size());
            m_nUsed += bytes.size();
            m_nRoom -= bytes.size();
            return;
        }
        WriteBeyondBuffer(bytes);
    }

    // Writes what is buffered and closes the file. 1 when every write and the close succeeded;
    // 0 otherwise (also when the file was never open).
    int Close();

private:
    void Flush();
    // Write's path for bytes that pass the buffer or the limit.
    void WriteBeyondBuffer(std::string_view bytes);
    void WriteThrough(std::string_view bytes);
    void WriteAll(const char* data, std::size_t size);

    int m_fd = -1;
    bool m_bFailed = false;
    bool m_bCut = false;         // the limit was reached and the closing line written
    char m_cLastWritten = '\n';  // the last byte that went to the file
    std::size_t m_nUsed = 0;
    std::size_t m_nRoom;  // bytes the listing may still take
    std::size_t m_nLimit;
    // On the heap: nested runs each hold a listing on the stack.
    std::unique_ptr<char[]> m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
};

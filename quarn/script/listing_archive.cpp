#include "quarn/script/listing_archive.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

std::string CListingArchive::CutLine(std::size_t limit) {
    constexpr std::size_t kMebibyte = 1024 * 1024;
    const std::string size = limit > 0 && limit % kMebibyte == 0
                                 ? std::to_string(limit / kMebibyte) + " MiB"
                                 : std::to_string(limit) + " bytes";
    return "Rest of the listing left out: it passed " + size + ".\r\n";
}

CListingArchive::~CListingArchive() {
    if (m_fd >= 0) ::close(m_fd);
}

int CListingArchive::Open(const std::string& path) {
    if (m_fd >= 0) ::close(m_fd);
    m_nUsed = 0;
    m_bFailed = false;
    m_bCut = false;
    m_cLastWritten = '\n';
    m_nRoom = m_nLimit;
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return m_fd >= 0 ? 1 : 0;
}

void CListingArchive::WriteAll(const char* data, std::size_t size) {
    if (m_fd < 0) {
        m_bFailed = true;
        return;
    }
    if (size > 0) m_cLastWritten = data[size - 1];
    while (size > 0 && !m_bFailed) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (!(n < 0 && errno == EINTR)) {
            m_bFailed = true;
        }
    }
}

void CListingArchive::Flush() {
    WriteAll(m_buffer.get(), m_nUsed);
    m_nUsed = 0;
}

void CListingArchive::WriteBeyondBuffer(std::string_view bytes) {
    if (m_bCut) return;
    if (bytes.size() <= m_nRoom) {
        m_nRoom -= bytes.size();
        WriteThrough(bytes);
        return;
    }
    WriteThrough(bytes.substr(0, m_nRoom));
    m_nRoom = 0;
    m_bCut = true;
    const char last = m_nUsed > 0 ? m_buffer[m_nUsed - 1] : m_cLastWritten;
    WriteThrough((last == '\n' ? "" : "\r\n") + CutLine(m_nLimit));
}

void CListingArchive::WriteThrough(std::string_view bytes) {
    Flush();
    if (bytes.size() < kBufferSize) {
        std::memcpy(m_buffer.get(), bytes.data(), bytes.size());
        m_nUsed = bytes.size();
        return;
    }
    WriteAll(bytes.data(), bytes.size());
}

int CListingArchive::Close() {
    if (m_fd < 0) return 0;
    Flush();
    if (::close(std::exchange(m_fd, -1)) != 0) m_bFailed = true;
    return m_bFailed ? 0 : 1;
}

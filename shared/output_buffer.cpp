#include "shared/output_buffer.h"

#include <algorithm>
#include <cstring>

#include "shared/read_only_file.h"

COutputBuffer::COutputBuffer() {
    Reallocate(kInitialCapacity);
}

std::int64_t COutputBuffer::NextCapacity(std::int64_t capacity) {
    const std::int64_t next = capacity > 999'999 ? capacity + 1'000'000 : capacity * 2;
    return std::min(next, kMaxLength);
}

int COutputBuffer::AppendText(const char* text) {
    return text ? AppendString(std::string_view(text)) : 1;
}

int COutputBuffer::AppendString(std::string_view text) {
    const auto size = static_cast<std::int64_t>(text.size());
    if (size == 0) return 1;
    if (size > kMaxLength - m_length) return 0;
    if (!Reserve(m_length + size)) return 0;
    char* end = m_buffer.get() + m_length;
    std::memcpy(end, text.data(), text.size());
    end[size] = '\0';
    m_length += size;
    return 1;
}

int COutputBuffer::Grow() {
    return Reserve(m_capacity + 1);
}

int COutputBuffer::Reserve(std::int64_t needed) {
    if (needed <= m_capacity) return 1;
    if (needed > kMaxLength) return 0;
    std::int64_t capacity = m_capacity;
    do {
        capacity = capacity > 0 ? NextCapacity(capacity) : kInitialCapacity;
    } while (capacity < needed);
    return Reallocate(capacity);
}

int COutputBuffer::Reallocate(std::int64_t capacity) {
    // realloc leaves the old block intact on failure, so the text survives a failed growth.
    void* grown = std::realloc(m_buffer.get(), static_cast<std::size_t>(capacity) + 1);
    if (!grown) return 0;
    m_buffer.release();
    m_buffer.reset(static_cast<char*>(grown));
    m_buffer.get()[m_length] = '\0';
    m_capacity = capacity;
    return 1;
}

void COutputBuffer::CompactLines() {
    Compact(false);
}

void COutputBuffer::CompactLinesKeepTabs() {
    Compact(true);
}

void COutputBuffer::Compact(bool tabIsContent) {
    if (!m_buffer) return;
    char* text = m_buffer.get();
    bool atLineStart = true;
    std::int64_t kept = 0;
    for (std::int64_t i = 0; i < m_length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        bool keep;
        if (byte == '\n') {
            keep = !atLineStart;
            atLineStart = true;
        } else if (byte > ' ' || (tabIsContent && byte == '\t')) {
            keep = true;
            atLineStart = false;
        } else {
            keep = !atLineStart;
        }
        if (keep) text[kept++] = static_cast<char>(byte);
    }
    m_length = kept;
    text[m_length] = '\0';
}

std::string_view COutputBuffer::GetWrittenText() const {
    const char* text = GetBuffer();
    const void* zero = std::memchr(text, '\0', static_cast<std::size_t>(m_length));
    const auto length = zero ? static_cast<const char*>(zero) - text : m_length;
    return std::string_view(text, static_cast<std::size_t>(length));
}

bool COutputBuffer::SameAsFile(const std::string& path) const {
    return FileHoldsBytes(path, GetWrittenText());
}

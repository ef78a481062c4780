#include "tolvane/script_file.h"

#include <algorithm>

namespace {

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

// Code points up to U+00FF become one byte; others keep their UTF-8 sequence. `text` is valid
// UTF-8, as the window hands it over.
std::string Utf8ToLatin1(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            bytes += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
            ++i;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::string_view LineAt(std::string_view text, std::size_t& pos) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    return line;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    do {
        lines.push_back(LineAt(text, pos));
    } while (pos <= text.size());
    return lines;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, min = 0x80, code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, min = 0x800, code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, min = 0x10000, code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > bytes.size()) return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

CScriptFile::CScriptFile() : m_endings{""} {}

void CScriptFile::Load(std::string_view bytes) {
    m_bLatin1 = !IsValidUtf8(bytes);
    const std::string decoded = m_bLatin1 ? Latin1ToUtf8(bytes) : std::string(bytes);
    m_text.clear();
    m_text.reserve(decoded.size());
    m_endings.clear();
    m_defaultEnding.clear();
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const char c = decoded[i];
        if (c != '\r' && c != '\n') {
            m_text += c;
            continue;
        }
        std::string ending(1, c);
        if (c == '\r' && i + 1 < decoded.size() && decoded[i + 1] == '\n') {
            ending += '\n';
            ++i;
        }
        if (m_defaultEnding.empty()) m_defaultEnding = ending;
        m_endings.push_back(std::move(ending));
        m_text += '\n';
    }
    m_endings.emplace_back();
    if (m_defaultEnding.empty()) m_defaultEnding = "\r\n";
}

std::string CScriptFile::Save(std::string_view text) {
    const std::vector<std::string_view> oldLines = SplitLines(m_text);
    const std::vector<std::string_view> newLines = SplitLines(text);
    std::size_t prefix = 0;
    const std::size_t common = std::min(oldLines.size(), newLines.size());
    while (prefix < common && oldLines[prefix] == newLines[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < common - prefix &&
           oldLines[oldLines.size() - 1 - suffix] == newLines[newLines.size() - 1 - suffix])
        ++suffix;

    std::vector<std::string> endings(newLines.size());
    for (std::size_t i = 0; i + 1 < newLines.size(); ++i) {
        std::size_t old = i;
        if (i >= newLines.size() - suffix) old = i - newLines.size() + oldLines.size();
        const bool mapped =
            i < prefix || i >= newLines.size() - suffix || old < oldLines.size() - suffix;
        endings[i] = mapped && old + 1 < oldLines.size() ? m_endings[old] : m_defaultEnding;
    }

    std::string utf8;
    utf8.reserve(text.size() + newLines.size());
    for (std::size_t i = 0; i < newLines.size(); ++i) {
        utf8 += newLines[i];
        utf8 += endings[i];
    }
    m_text.assign(text);
    m_endings = std::move(endings);
    return m_bLatin1 ? Utf8ToLatin1(utf8) : utf8;
}

#include "shared/sce_codec.h"

#include <cstring>
#include <exception>

namespace {

constexpr std::size_t kCheckOffset = 27;
constexpr std::size_t kKeyOffset = 31;
constexpr char kFillerByte = 0x5A;

std::uint8_t ByteAt(std::string_view bytes, std::size_t index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

// Position addition: byte + position, wrapped into 1-255. The wrap makes 255 and 0 alike modulo
// 255, so 255 past position 0 takes the code 0, which the addition never gives there.
std::uint8_t RaiseByPosition(std::uint8_t byte, std::uint64_t position) {
    if (byte == 255 && position >= 1) return 0;
    std::uint64_t sum = byte + position;
    if (sum >= 256) sum = (sum - 1) % 255 + 1;
    return static_cast<std::uint8_t>(sum);
}

// Undoes RaiseByPosition: the stored code minus the position, taken modulo 255 into 0-254
// (255 itself only at position 0).
std::uint8_t LowerByPosition(std::uint8_t stored, std::uint64_t position) {
    if (stored == 0 && position >= 1) return 255;
    auto difference = static_cast<std::int64_t>(stored) - static_cast<std::int64_t>(position);
    if (difference < 0) difference += 255 * ((254 - difference) / 255);
    return static_cast<std::uint8_t>(difference & 0xFF);
}

class BodyWriter {
public:
    BodyWriter(std::string& file, std::uint8_t key) : m_file(file), m_key(key) {}
    void Pair(std::uint8_t value, std::uint8_t count) {
        Put(value);
        Put(count);
    }

private:
    void Put(std::uint8_t byte) {
        m_file.push_back(static_cast<char>(RaiseByPosition(byte, m_position++) ^ m_key));
    }
    std::string& m_file;
    std::uint8_t m_key;
    std::uint64_t m_position = 0;
};

void WriteEncoded(std::string_view script, std::int32_t keyValue, std::string& file) {
    const std::uint8_t key = SceKeyByte(keyValue);
    std::uint8_t check = 0;
    for (char byte : script)
        check ^= static_cast<std::uint8_t>(byte);
    const auto spare = static_cast<std::uint16_t>(keyValue);

    file.append(kSceHeader);
    file.push_back(static_cast<char>(check));
    file.push_back(static_cast<char>(spare & 0xFF));
    file.push_back(static_cast<char>(spare >> 8));
    file.push_back(kFillerByte);
    file.push_back(static_cast<char>(key));
    file.push_back(kFillerByte);

    BodyWriter body(file, key);
    std::uint8_t value = ByteAt(script, 0);
    std::uint8_t count = 1;
    for (std::size_t i = 1; i < script.size(); ++i) {
        const std::uint8_t byte = ByteAt(script, i);
        if (byte == value && count < 255) {
            ++count;
            continue;
        }
        body.Pair(value, count);
        value = byte;
        count = 1;
    }
    body.Pair(value, count);
}

// The decoded body, read pair by pair straight from the file.
class BodyReader {
public:
    BodyReader(std::string_view file, std::uint8_t key)
        : m_body(file.substr(kScePreambleSize)), m_key(key) {}
    std::size_t PairCount() const { return m_body.size() / 2; }
    std::uint8_t Value(std::size_t pair) const { return Decoded(2 * pair); }
    std::uint8_t Count(std::size_t pair) const { return Decoded(2 * pair + 1); }

private:
    std::uint8_t Decoded(std::size_t position) const {
        return LowerByPosition(ByteAt(m_body, position) ^ m_key, position);
    }
    std::string_view m_body;
    std::uint8_t m_key;
};

}  // namespace

std::uint8_t SceKeyByte(std::int32_t keyValue) {
    return static_cast<std::uint8_t>((keyValue & 255) ^ (keyValue / 255));
}

SceEncodeResult EncodeScript(std::string_view script, std::string& file, std::int32_t keyValue) {
    file.clear();
    if (script.empty()) return SceEncodeResult::kEmptyScript;
    try {
        file.reserve(kScePreambleSize + 2 * script.size());
    } catch (const std::exception&) {
        return SceEncodeResult::kOutOfMemory;
    }
    WriteEncoded(script, keyValue, file);
    const SceEncodeResult verified = VerifyEncodedScript(file, script);
    if (verified != SceEncodeResult::kOk) file.clear();
    return verified;
}

SceEncodeResult VerifyEncodedScript(std::string_view file, std::string_view script) {
    COutputBuffer decoded;
    switch (DecodeScript(file, decoded)) {
        case SceDecodeResult::kOk:
            break;
        case SceDecodeResult::kOutOfMemory:
            return SceEncodeResult::kOutOfMemory;
        default:
            return SceEncodeResult::kVerifyFailed;
    }
    const std::string_view text(decoded.GetBuffer(), static_cast<std::size_t>(decoded.GetLength()));
    return text == script ? SceEncodeResult::kOk : SceEncodeResult::kVerifyFailed;
}

SceDecodeResult DecodeScript(std::string_view file, COutputBuffer& script) {
    if (file.size() <= kScePreambleSize) return SceDecodeResult::kTooShort;
    if (file.substr(0, kSceHeader.size()) != kSceHeader) return SceDecodeResult::kHeaderMismatch;
    const BodyReader body(file, ByteAt(file, kKeyOffset));

    // The check byte and the decoded length come from the counts alone, so a file that is not
    // ours, or one that would not fit, is refused before anything is expanded.
    std::uint8_t check = 0;
    std::uint64_t length = 0;
    for (std::size_t pair = 0; pair < body.PairCount(); ++pair) {
        const std::uint8_t count = body.Count(pair);
        if (count % 2 == 1) check ^= body.Value(pair);
        length += count;
    }
    if (check != ByteAt(file, kCheckOffset)) return SceDecodeResult::kCheckMismatch;
    if (length > static_cast<std::uint64_t>(COutputBuffer::kMaxLength - script.GetLength()))
        return SceDecodeResult::kOutOfMemory;

    char run[255];
    for (std::size_t pair = 0; pair < body.PairCount(); ++pair) {
        const std::uint8_t count = body.Count(pair);
        std::memset(run, static_cast<char>(body.Value(pair)), count);
        if (!script.AppendString(std::string_view(run, count)))
            return SceDecodeResult::kOutOfMemory;
    }
    return SceDecodeResult::kOk;
}

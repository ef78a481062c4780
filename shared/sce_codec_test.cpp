#include "shared/sce_codec.h"

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

std::string Encode(std::string_view script, std::int32_t keyValue = kSceKeyValue) {
    std::string file;
    EXPECT_EQ(EncodeScript(script, file, keyValue), SceEncodeResult::kOk);
    return file;
}

struct Decoded {
    SceDecodeResult result;
    std::string script;
};

// Decodes from an allocation of exactly the file's size, so reading past it is caught by ASan.
Decoded Decode(std::string_view file) {
    auto exact = std::make_unique<char[]>(file.size());
    if (!file.empty()) std::memcpy(exact.get(), file.data(), file.size());
    COutputBuffer buffer;
    const SceDecodeResult result = DecodeScript(std::string_view(exact.get(), file.size()), buffer);
    return {result, std::string(buffer.GetBuffer(), static_cast<std::size_t>(buffer.GetLength()))};
}

// The body bytes before the XOR with the key byte.
std::vector<int> PlainBody(std::string_view file) {
    const auto key = static_cast<std::uint8_t>(file[31]);
    std::vector<int> body;
    for (std::size_t i = kScePreambleSize; i < file.size(); ++i)
        body.push_back(static_cast<std::uint8_t>(file[i]) ^ key);
    return body;
}

// A file laid out by hand: preamble with the given check byte and key byte, then `body` (before
// the key XOR).
std::string FileOf(std::uint8_t check, std::uint8_t key, const std::vector<int>& body) {
    std::string file(kSceHeader);
    file += static_cast<char>(check);
    file += "\x01\x02\x03"s;
    file += static_cast<char>(key);
    file += '\x03';
    for (int byte : body)
        file += static_cast<char>(byte ^ key);
    return file;
}

TEST(SceKeyByte, TruncatesTheDivisionTowardZero) {
    struct Case {
        std::int32_t keyValue;
        int keyByte;
    };
    const Case cases[] = {
        {0, 0x00},     {255, 0xFE},       {-1, 0xFF},        {-256, 0xFF},
        {65280, 0x00}, {INT32_MIN, 0x80}, {INT32_MAX, 0x7F}, {-123456789, 0x3B},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyValue);
        EXPECT_EQ(SceKeyByte(c.keyValue), c.keyByte);
    }
}

TEST(SceCodec, OneByteScriptGivesThePreambleAndOnePair) {
    for (const std::int32_t keyValue : {kSceKeyValue, 0, -123456789}) {
        SCOPED_TRACE(keyValue);
        const std::string file = Encode("A", keyValue);
        ASSERT_EQ(file.size(), 35u);
        EXPECT_EQ(file.substr(0, 27), "Quarn runtime encoded 5XX99");
        EXPECT_EQ(file[27], 'A');
        EXPECT_EQ(static_cast<std::uint8_t>(file[28]), keyValue & 0xFF);
        EXPECT_EQ(static_cast<std::uint8_t>(file[29]), (keyValue >> 8) & 0xFF);
        EXPECT_EQ(file[30], file[32]);
        EXPECT_EQ(static_cast<std::uint8_t>(file[31]), SceKeyByte(keyValue));
        EXPECT_EQ(PlainBody(file), (std::vector<int>{0x41, 0x02}));
        EXPECT_EQ(Decode(file).script, "A");
    }
}

TEST(SceCodec, PositionAdditionWrapsIntoOneTo255) {
    // Sixteen single bytes fill positions 0-31, so 0xF0 is the value at position 0x20.
    const std::string script = "abcdefghijklmnop\xF0"s;
    const std::string file = Encode(script);
    const std::vector<int> body = PlainBody(file);
    ASSERT_EQ(body.size(), 34u);
    EXPECT_EQ(body[0x20], 0x11);  // 0xF0 + 0x20 = 272, (271 mod 255) + 1 = 17
    EXPECT_EQ(body[0x21], 0x22);  // its count, 1 + 0x21
    EXPECT_EQ(Decode(file).script, script);
}

TEST(SceCodec, LongRunsSplitIntoFullPairs) {
    struct Case {
        std::size_t length;
        std::vector<int> body;
    };
    // A count of 255 stands at an odd position, so it is stored as 0.
    const Case cases[] = {
        {254, {'x', 255}},
        {255, {'x', 0}},
        {256, {'x', 0, 'x' + 2, 1 + 3}},
        {300, {'x', 0, 'x' + 2, 45 + 3}},
        {510, {'x', 0, 'x' + 2, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string script(c.length, 'x');
        const std::string file = Encode(script);
        EXPECT_EQ(PlainBody(file), c.body);
        EXPECT_EQ(Decode(file).script, script);
    }
}

// The position arithmetic alone cannot tell 255 from 0 past position 0: the stored 2 for a 255 at
// position 2 comes back as 0. Files written that way still decode as they always did; the
// encoder's verification catches them, and our encoder stores 0 instead.
TEST(SceCodec, Byte255PastTheFirstPositionIsStoredAsZero) {
    const std::string script = "a\xFF\xFF"s;
    EXPECT_EQ(PlainBody(Encode(script)), (std::vector<int>{0x61, 0x02, 0x00, 0x05}));

    const std::string unmended = FileOf(0x61, 0x3C, {0x61, 0x02, 0x02, 0x05});
    const Decoded decoded = Decode(unmended);
    EXPECT_EQ(decoded.result, SceDecodeResult::kOk);  // the even run cancels in the check byte
    EXPECT_EQ(decoded.script, "a\0\0"s);
    EXPECT_EQ(VerifyEncodedScript(unmended, script), SceEncodeResult::kVerifyFailed);
}

TEST(SceCodec, EmptyScriptIsRefused) {
    std::string file = "old content";
    EXPECT_EQ(EncodeScript("", file), SceEncodeResult::kEmptyScript);
    EXPECT_EQ(file, "");
}

TEST(SceCodec, DecodeRefusesWhatIsNotAnEncodedScript) {
    const std::string valid = Encode("two words");
    std::string otherKey = valid;
    otherKey[31] = static_cast<char>(otherKey[31] ^ 0x01);
    struct Case {
        const char* name;
        std::string file;
        SceDecodeResult result;
    };
    const Case cases[] = {
        {"empty file", "", SceDecodeResult::kTooShort},
        {"header alone", std::string(kSceHeader), SceDecodeResult::kTooShort},
        {"33 bytes starting with the header", FileOf(0, 0, {}), SceDecodeResult::kTooShort},
        {"plain script", "&html(\"index.html\"){<p>Hello</p>}\r\n",
         SceDecodeResult::kHeaderMismatch},
        {"header in other case", "quarn" + valid.substr(5), SceDecodeResult::kHeaderMismatch},
        {"34 bytes with a wrong check byte", FileOf(1, 0, {0x41}), SceDecodeResult::kCheckMismatch},
        {"other key byte", otherKey, SceDecodeResult::kCheckMismatch},
        {"last pair cut off", valid.substr(0, valid.size() - 2), SceDecodeResult::kCheckMismatch},
        {"body shifted by one byte", valid.substr(0, 33) + valid.substr(34),
         SceDecodeResult::kCheckMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded decoded = Decode(c.file);
        EXPECT_EQ(decoded.result, c.result);
        EXPECT_EQ(decoded.script, "");
    }
}

TEST(SceCodec, OddOrZeroCountBodiesDecode) {
    struct Case {
        const char* name;
        std::string file;
        std::string script;
    };
    const Case cases[] = {
        {"34 bytes: a lone odd byte is ignored", FileOf(0, 0x77, {0x41}), ""},
        {"count 0 stands for no bytes", FileOf('B', 0, {'A', 1, 'B' + 2, 4}), "B"},
        {"trailing odd byte after a pair", FileOf('A', 0, {'A', 2, 'Z'}), "A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded decoded = Decode(c.file);
        EXPECT_EQ(decoded.result, SceDecodeResult::kOk);
        EXPECT_EQ(decoded.script, c.script);
    }
}

TEST(SceCodec, SpareWordAndFillerBytesAreIgnored) {
    const std::string script = "&html(\"a.html\"){x}";
    std::string file = Encode(script);
    for (const std::size_t offset : {28, 29, 30, 32})
        file[offset] = static_cast<char>(~file[offset]);
    const Decoded decoded = Decode(file);
    EXPECT_EQ(decoded.result, SceDecodeResult::kOk);
    EXPECT_EQ(decoded.script, script);
}

// With key byte 0, a body of zeros is the pair (0, 255) followed by pairs (255, 255): a stored 0
// past position 0 is 255. Enough of them expand beyond what the buffer may hold, which is found
// before any of it is expanded.
TEST(SceCodec, DecodeRefusesAScriptTooLongForTheBuffer) {
    const std::size_t pairs = COutputBuffer::kMaxLength / 255 + 2;
    ASSERT_EQ(pairs % 2, 0u);  // an odd number of (255, 255) pairs: check byte 255
    const std::string file = FileOf(0xFF, 0, {}) + std::string(2 * pairs, '\0');
    COutputBuffer buffer;
    EXPECT_EQ(DecodeScript(file, buffer), SceDecodeResult::kOutOfMemory);
    EXPECT_EQ(buffer.GetLength(), 0);
    EXPECT_EQ(buffer.GetCapacity(), COutputBuffer::kInitialCapacity);

    const Decoded fewer = Decode(FileOf(0xFF, 0, {}) + std::string(6, '\0'));
    EXPECT_EQ(fewer.result, SceDecodeResult::kCheckMismatch);  // two (255, 255) pairs cancel
    const Decoded three = Decode(FileOf(0xFF, 0, {}) + std::string(8, '\0'));
    EXPECT_EQ(three.result, SceDecodeResult::kOk);
    EXPECT_EQ(three.script, std::string(255, '\0') + std::string(3 * 255, '\xFF'));
}

TEST(SceCodec, DecodeAppendsToTheBuffer) {
    COutputBuffer buffer;
    ASSERT_EQ(buffer.AppendText("before:"), 1);
    ASSERT_EQ(DecodeScript(Encode("after"), buffer), SceDecodeResult::kOk);
    EXPECT_STREQ(buffer.GetBuffer(), "before:after");
}

void ExpectRoundTrip(const std::string& script, std::int32_t keyValue) {
    std::string file;
    ASSERT_EQ(EncodeScript(script, file, keyValue), SceEncodeResult::kOk);
    ASSERT_LE(file.size(), kScePreambleSize + 2 * script.size());
    const Decoded decoded = Decode(file);
    ASSERT_EQ(decoded.result, SceDecodeResult::kOk);
    ASSERT_EQ(decoded.script, script);
}

TEST(SceCodecRoundTrip, EveryByteValueInRunsOfEveryBoundaryLength) {
    for (int value = 0; value < 256; ++value) {
        for (const std::size_t length : {1, 2, 254, 255, 256, 300, 509, 510, 511}) {
            SCOPED_TRACE(testing::Message() << "value " << value << " length " << length);
            ExpectRoundTrip(std::string(length, static_cast<char>(value)), kSceKeyValue);
        }
    }
}

// NUL, 1, 254 and 255 as the value of every pair up to position 602, which passes the positions
// where the wrap lands on multiples of 255, with counts around 255 after them.
TEST(SceCodecRoundTrip, EdgeBytesAtEveryPositionClass) {
    for (const char edge : {'\0', '\x01', '\xFE', '\xFF'}) {
        for (std::size_t pairs = 0; pairs <= 301; ++pairs) {
            std::string prefix;
            for (std::size_t i = 0; i < pairs; ++i)
                prefix += (i % 2 == 0 ? 'x' : 'y');
            for (const std::size_t run : {1, 254, 255, 256}) {
                SCOPED_TRACE(testing::Message()
                             << "edge " << int(edge) << " pairs " << pairs << " run " << run);
                ExpectRoundTrip(prefix + std::string(run, edge) + "z", -1 - int(pairs));
            }
        }
    }
}

// Random scripts mixing random bytes, runs of every length up to 600, and NUL and 255 bytes.
std::string RandomScript(std::mt19937& random) {
    std::uniform_int_distribution<int> kind(0, 3), byte(0, 255), runLength(1, 600);
    std::uniform_int_distribution<int> segments(1, 12), noiseLength(1, 40);
    std::string script;
    for (int s = segments(random); s > 0; --s) {
        switch (kind(random)) {
            case 0:
                for (int n = noiseLength(random); n > 0; --n)
                    script += char(byte(random));
                break;
            case 1:
                script.append(runLength(random), char(byte(random)));
                break;
            case 2:
                script.append(runLength(random) % 3 == 0 ? 255 : 256, char(byte(random)));
                break;
            default:
                script += (byte(random) % 2 ? "\xFF"s : "\0"s);
                break;
        }
    }
    return script;
}

TEST(SceCodecRoundTrip, RandomScripts) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::int32_t> keyValue(INT32_MIN, INT32_MAX);
    for (int n = 0; n < 3000; ++n) {
        const std::string script = RandomScript(random);
        SCOPED_TRACE(testing::Message() << "case " << n << " length " << script.size());
        ExpectRoundTrip(script, keyValue(random));
    }
}

// Truncated and corrupted files decode cleanly or fail; a decoded script always matches the
// file's check byte.
TEST(SceCodecFuzz, MutatedFilesNeverCrash) {
    std::mt19937 random(77);
    std::uniform_int_distribution<int> mutation(0, 4), byte(0, 255), count(1, 4);
    int decoded = 0;
    for (int n = 0; n < 4000; ++n) {
        std::string file = Encode(RandomScript(random));
        for (int m = count(random); m > 0; --m) {
            std::uniform_int_distribution<std::size_t> at(0, file.size() - 1);
            switch (mutation(random)) {
                case 0:
                    file.resize(at(random));
                    break;
                case 1:
                    file[at(random)] = char(byte(random));
                    break;
                case 2:
                    file.insert(at(random), 1, char(byte(random)));
                    break;
                case 3:
                    file.erase(at(random), 1);
                    break;
                default:
                    file[kScePreambleSize + at(random) % (file.size() - kScePreambleSize)] ^=
                        char(1 << (byte(random) % 8));
                    break;
            }
            if (file.size() <= kScePreambleSize) break;
        }
        SCOPED_TRACE(testing::Message() << "case " << n << " size " << file.size());
        const Decoded result = Decode(file);
        if (result.result != SceDecodeResult::kOk) {
            EXPECT_EQ(result.script, "");
            continue;
        }
        ++decoded;
        char check = 0;
        for (char c : result.script)
            check ^= c;
        EXPECT_EQ(check, file[27]);
    }
    EXPECT_GT(decoded, 0);
}

}  // namespace

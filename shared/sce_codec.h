#pragma once
// The runtime-encoded script file (".sce"): tolvane encodes a script into it, quarn decodes it.
//
// Layout: the 27 header bytes, the check byte (XOR of all script bytes), a spare word (low 16
// bits of the key value, little-endian), a filler byte, the key byte, the filler byte again, and
// the body: the script as (value, count) run-length pairs, each byte raised by its body position
// and XORed with the key byte. Byte 255 past the first body position is stored as 0, which the
// position arithmetic never yields there otherwise, so every byte sequence comes back exactly.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "shared/output_buffer.h"

// Compared byte for byte and never passed through the program title, so a file stays readable
// whatever the program is called.
constexpr std::string_view kSceHeader = "Quarn runtime encoded 5XX99";
// Header, check byte, spare word, filler, key byte, filler.
constexpr std::size_t kScePreambleSize = 33;
// The key value tolvane encodes with. Decoding does not depend on it: the key byte travels in
// the file.
constexpr std::int32_t kSceKeyValue = 0x51A7C3E5;

// Low 8 bits of ((keyValue AND 255) XOR (keyValue / 255)), the division truncating toward zero.
std::uint8_t SceKeyByte(std::int32_t keyValue);

enum class SceEncodeResult {
    kOk,
    kEmptyScript,   // the format cannot hold an empty script
    kOutOfMemory,   // no memory for the file, or the script is too long to decode again
    kVerifyFailed,  // the file does not decode back to the script
};

// Encodes `script` into `file` (its old content replaced) and verifies the result with
// VerifyEncodedScript. On any failure `file` is left empty, so nothing unverified gets written.
SceEncodeResult EncodeScript(std::string_view script, std::string& file,
                             std::int32_t keyValue = kSceKeyValue);

// kOk when `file` decodes to exactly `script`; kOutOfMemory when it cannot be decoded for lack
// of memory; kVerifyFailed otherwise.
SceEncodeResult VerifyEncodedScript(std::string_view file, std::string_view script);

// The first three failures all mean "script file not encoded." (ERROR 121) to the loader;
// kOutOfMemory is the output buffer's ERROR 35.
enum class SceDecodeResult {
    kOk,
    kTooShort,        // not longer than the preamble
    kHeaderMismatch,  // does not start with kSceHeader
    kCheckMismatch,   // the decoded bytes disagree with the check byte
    kOutOfMemory,     // `script` could not take the decoded bytes
};

// Decodes the whole content of a ".sce" file and appends the script to `script`; the spare word
// and the filler bytes are ignored, as is a trailing odd body byte. Any input is safe to pass.
// The format failures are found before anything is appended; after kOutOfMemory `script` may hold
// part of the script and is to be discarded.
SceDecodeResult DecodeScript(std::string_view file, COutputBuffer& script);

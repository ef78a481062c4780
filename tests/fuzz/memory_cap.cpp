// Caps the address space of the fuzz test's process. A script may ask for a text of a gigabyte or
// two, which the engine builds as it should, but with copies that take many seconds no cancel can
// cut short. Under the cap such a run fails quickly with the engine's out-of-memory error
// instead, and the fuzzer checks that those failures are reported, never thrown.
//
// Not in the sanitizer build: AddressSanitizer reserves its shadow memory up front, so no such
// limit can be set there, and a failed allocation ends the process.

#include <sys/resource.h>

#include <cstdint>

namespace {

constexpr std::uint64_t kAddressSpaceCap = std::uint64_t{4} << 30;

const bool kCapped = [] {
    const rlimit limit{kAddressSpaceCap, kAddressSpaceCap};
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}();

}  // namespace

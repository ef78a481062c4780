#pragma once
// Deterministic script generators for the interpreter fuzz test: random bytes, a soup of the
// language's tokens, nests of well-formed calls, and mutations of existing scripts. A seed always
// gives the same script, so a failure is reproduced from the seed it reports.
//
// Generated scripts call only SafeKeywords(): no built-in that reaches outside the test's project
// (shell, network, dial-up, prompts, the status mailbox, the event log, sleeping, moving the HTML
// root). The text "@DSN@" stands for the test database's connection string.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

inline constexpr std::string_view kDsnMark = "@DSN@";

// The interpreter's keywords without the blocked ones.
const std::vector<std::string>& SafeKeywords();

// Turns every occurrence of a blocked keyword (in any case, anywhere) into a name no built-in
// has, so a script spliced or mutated into such a call cannot make it.
void NeutraliseBlockedNames(std::string& script);

// Up to 300 bytes of any value.
std::string RandomBytes(std::uint64_t seed);
// Up to 80 tokens of the language in any order, half of the time inside a page.
std::string TokenSoup(std::uint64_t seed);
// Pages, subroutines and handlers holding nested calls of the safe keywords with plausible
// arguments, so that runs get past the call parser into the built-ins.
std::string NestedCalls(std::uint64_t seed);
// `script` after one to four random edits: bytes changed, ranges dropped or repeated, tokens
// inserted, numbers made extreme, pieces of a `donors` script spliced in.
std::string Mutate(std::string_view script, std::span<const std::string> donors,
                   std::uint64_t seed);

// `script` as the contents of a C++ string literal, for failure reports.
std::string Escaped(std::string_view script);

}  // namespace fuzz

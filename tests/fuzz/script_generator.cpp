#include "tests/fuzz/script_generator.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>

#include "quarn/script/script_interpreter.h"

namespace fuzz {

namespace {

// Built-ins that would reach outside the project: a shell, servers, dial-up, prompts nobody
// answers, the status mailbox nobody empties, the program's event log, the clock, the root.
constexpr std::array<std::string_view, 18> kBlockedKeywords = {
    "exec",   "sleep",  "msgbox",     "input",       "print",      "log",
    "dialup", "http",   "sendmail",   "pop3session", "ftpsession", "ftpput",
    "ftpget", "ftpdel", "ftpcommand", "ftpmkdir",    "ftprmdir",   "htmlrootdir",
};

bool IsBlocked(std::string_view lowerName) {
    return std::find(kBlockedKeywords.begin(), kBlockedKeywords.end(), lowerName) !=
           kBlockedKeywords.end();
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The built-ins' names and which take a block: tables fixed at construction, so one interpreter
// answers for every generated script.
const CScriptInterpreter& KeywordTables() {
    static const CScriptInterpreter interp(nullptr);
    return interp;
}

class Random {
public:
    explicit Random(std::uint64_t seed) : m_engine(seed) {}
    // A value in [0, n); n > 0.
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(m_engine() % n); }
    bool OneIn(std::size_t n) { return Below(n) == 0; }
    template <typename List>
    const auto& Pick(const List& list) {
        return list[Below(std::size(list))];
    }

private:
    std::mt19937_64 m_engine;
};

constexpr std::string_view kSyntax[] = {
    "&",
    "<f",
    "</f",
    "(",
    ")",
    "{",
    "}",
    "?",
    "\\",
    "\"",
    "#",
    ",",
    ">",
    "<",
    " ",
    "\r\n",
    "\n",
    "\t",
    "[",
    "]",
    "&if(",
    "&html(\"p.html\"){",
    "<fhtml \"t.html\">",
    "</fhtml>",
    "&defsub(\"",
    "&include(\"",
    "&on_error",
    "&retry",
    "&ignore",
    "&break",
    "&continue",
    "&return",
    "&die()",
};

// The largest counts and widths here that built-ins accept. The plain build caps its memory
// (memory_cap.cpp), so a gigabyte asked for fails there at once; under the sanitizers, where no
// cap can be set and building a gigabyte takes minutes, they stay at a million.
#ifdef QUARN_FUZZ_SANITIZED
constexpr std::string_view kLarge = "1e6";
constexpr std::string_view kLargeNegative = "-1e6";
#else
constexpr std::string_view kLarge = "1e9";
constexpr std::string_view kLargeNegative = "-1e9";
#endif

constexpr std::string_view kNumbers[] = {
    "0",          "1",          "2",          "3",   "-1",  "10",    "0.5", kLarge, kLargeNegative,
    "2147483647", "2147483648", "4294967296", "nan", "inf", "1e308", "999", "3.7",  "-2.5",
    "0x10",       "1000",
};

constexpr std::string_view kReferences[] = {
    "x",    "y",    "argv",      "argv[1]",       "argv[-1]",    "argv[0]",
    "n",    "name", "rownumber", "recordsetsize", "quarndate.y", "quarntime.h",
    "x[2]", "x[0]", "x[-1]",     "x[99999]",      "n[1]",        "i",
};

constexpr std::string_view kStrings[] = {
    "\"p.html\"",
    "\"sub/p.html\"",
    "\"../p.html\"",
    "\"sub\\\\..\\\\..\\\\p.html\"",
    "\"/tmp/p.html\"",
    "\"@DSN@\"",
    "\"SELECT n FROM item ORDER BY n\"",
    "\"SELECT n, name FROM item WHERE n > ?n?\"",
    "\"SELECT * FROM item WHERE n > 99\"",
    "\"CREATE TABLE t (x INTEGER)\"",
    "\"INSERT INTO item VALUES (7, 'seven')\"",
    "\"not sql at all\"",
    "\"?x?\"",
    "\"?n?.html\"",
    "\"script.scp\"",
    "\"self.inc\"",
    "\"missing.inc\"",
    "\"d\"",
    "\"a,b,,c\"",
    "\"\"",
    "\"\\\"\"",
    "\"on_error\"",
    "\"s\"",
};

constexpr std::string_view kOperators[] = {
    "+",   "-",  "*",   "/",  "%",  "==",    "!=", "<",  "<=", ">=", "&&", "||", "!",
    "and", "or", "not", "eq", "ne", "in.nc", "lt", "gt", "\\", "^",  "|",  "~",
};

constexpr std::string_view kText[] = {
    "<p>",        "</p>",       "abc",      "<font>",    "<form>",  "<frame>",
    "\xc3\xa9",   "\xff",       "\x01",     "text ",     "hiascii", "cr2br",
    "cr2brstrip", "formatnone", "formatcr", "nohexconv", "yes",     "ok",
};

constexpr std::string_view kSubroutineNames[] = {"s", "t", "on_error", "down"};

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string AnyToken(Random& random) {
    switch (random.Below(8)) {
        case 0:
        case 1:
            return std::string(random.Pick(kSyntax));
        case 2:
            return random.Pick(SafeKeywords());
        case 3:
            return std::string(random.Pick(kNumbers));
        case 4:
            return std::string(random.Pick(kReferences));
        case 5:
            return std::string(random.Pick(kStrings));
        case 6:
            return std::string(random.Pick(kOperators));
        default:
            return std::string(random.Pick(kText));
    }
}

class NestWriter {
public:
    explicit NestWriter(Random& random) : m_random(random) {}

    std::string Script() {
        std::string script;
        if (!m_random.OneIn(4)) script += "&datasource(\"@DSN@\")\r\n";
        if (!m_random.OneIn(4)) script += "&defvar(?x[3]?,?y?,?n?,?i?,?name?)\r\n";
        if (m_random.OneIn(2)) script += "&assign(?n?,2,?y?,\"p.html\",?i?,0)\r\n";
        const std::size_t pages = 1 + m_random.Below(3);
        for (std::size_t i = 0; i < pages; ++i)
            script += Page();
        if (m_random.OneIn(2)) script += Subroutine(std::string(m_random.Pick(kSubroutineNames)));
        if (m_random.OneIn(3)) script += Handler();
        return script;
    }

private:
    std::string Page() {
        const std::string name = m_random.OneIn(5)
                                     ? std::string(m_random.Pick(kStrings))
                                     : "\"p" + std::to_string(m_random.Below(4)) + ".html\"";
        if (m_random.OneIn(4)) return "<fhtml " + name + ">" + Body(0) + "</fhtml>\r\n";
        std::string flags;
        if (m_random.OneIn(3)) flags = ", " + std::string(m_random.Pick(kText));
        return "&html(" + name + flags + "){" + Body(0) + "}\r\n";
    }

    std::string Subroutine(const std::string& name) {
        return "&defsub(" + Quoted(name) + "){" + Body(1) + "}\r\n";
    }

    std::string Handler() {
        constexpr std::string_view kAnswers[] = {"&ignore", "&retry", "handled", "&die()",
                                                 "&ignore()"};
        std::string body(m_random.Pick(kAnswers));
        if (body == "&retry" && !m_random.OneIn(4)) body = "&ignore";
        return "&defsub(\"on_error\"){" + body + "}\r\n";
    }

    std::string Body(int depth) {
        std::string body;
        const std::size_t items = m_random.Below(depth > 3 ? 2 : 5);
        for (std::size_t i = 0; i < items; ++i) {
            switch (m_random.Below(4)) {
                case 0:
                    body += m_random.Pick(kText);
                    break;
                case 1:
                    body += "?" + std::string(m_random.Pick(kReferences)) + "?";
                    break;
                default:
                    body += Call(depth + 1);
                    break;
            }
        }
        return body;
    }

    std::string Call(int depth) {
        std::string keyword = m_random.OneIn(6) ? std::string(m_random.Pick(kSubroutineNames))
                                                : m_random.Pick(SafeKeywords());
        std::string args;
        const std::size_t count = m_random.Below(4);
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) args += m_random.OneIn(8) ? " " : ",";
            args += Expression(0);
        }
        const bool block =
            KeywordTables().IsBlockFunction(keyword) ? !m_random.OneIn(8) : m_random.OneIn(10);
        if (m_random.OneIn(4)) {
            std::string call = "<f" + keyword + (args.empty() ? "" : " " + args) + ">";
            if (block) call += Body(depth) + "</f" + keyword + ">";
            return call;
        }
        std::string call = "&" + keyword;
        if (!args.empty() || !m_random.OneIn(4)) call += "(" + args + ")";
        if (block) call += "{" + Body(depth) + "}";
        return call;
    }

    std::string Expression(int depth) {
        switch (m_random.Below(depth > 2 ? 3 : 5)) {
            case 0:
                return std::string(m_random.Pick(kNumbers));
            case 1:
                return "?" + std::string(m_random.Pick(kReferences)) + "?";
            case 2:
                return std::string(m_random.Pick(kStrings));
            case 3:
                return "(" + Expression(depth + 1) + ")";
            default:
                return Expression(depth + 1) + std::string(m_random.Pick(kOperators)) +
                       Expression(depth + 1);
        }
    }

    Random& m_random;
};

// The start of a number at or after `from`, or npos.
std::size_t NumberAt(std::string_view text, std::size_t from, std::size_t& length) {
    const std::size_t start = text.find_first_of("0123456789", from);
    if (start == std::string_view::npos) return start;
    const std::size_t end = std::min(text.find_first_not_of("0123456789.", start), text.size());
    length = end - start;
    return start;
}

void MutateOnce(std::string& script, std::span<const std::string> donors, Random& random) {
    const std::size_t size = script.size();
    const std::size_t at = random.Below(size + 1);
    const std::size_t span = 1 + random.Below(8);
    switch (random.Below(7)) {
        case 0:
            if (at < size) script[at] = static_cast<char>(random.Below(256));
            break;
        case 1:
            script.erase(std::min(at, size), span);
            break;
        case 2:
            script.insert(at, script.substr(std::min(at, size), span));
            break;
        case 3:
            script.insert(at, AnyToken(random));
            break;
        case 4: {
            std::size_t length = 0;
            const std::size_t number = NumberAt(script, at, length);
            if (number != std::string::npos) script.replace(number, length, random.Pick(kNumbers));
            break;
        }
        case 5: {
            if (donors.empty()) break;
            const std::string& donor = donors[random.Below(donors.size())];
            const std::size_t from = random.Below(donor.size() + 1);
            script.insert(at, donor.substr(from, 1 + random.Below(40)));
            break;
        }
        default: {
            const std::size_t other = random.Below(size + 1);
            const std::string piece = script.substr(std::min(at, size), span);
            script.erase(std::min(at, size), span);
            script.insert(std::min(other, script.size()), piece);
            break;
        }
    }
}

}  // namespace

const std::vector<std::string>& SafeKeywords() {
    static const std::vector<std::string> keywords = [] {
        std::vector<std::string> safe;
        for (const std::string& keyword : KeywordTables().m_astrKeywords)
            if (!IsBlocked(keyword)) safe.push_back(keyword);
        return safe;
    }();
    return keywords;
}

void NeutraliseBlockedNames(std::string& script) {
    // Names are read as the call parser reads them: after "&", "<f" or "</f", up to a blank,
    // "(", "{", "}" or, in a tag, ">".
    for (std::size_t at = 0; at < script.size(); ++at) {
        if (script[at] != '&' && script[at] != '<') continue;
        const bool tag = script[at] == '<';
        std::size_t name = at + 1;
        if (tag) {
            if (name < script.size() && script[name] == '/') ++name;
            if (name >= script.size() || Lower(script[name]) != 'f') continue;
            ++name;
        }
        std::size_t end = name;
        std::string lower;
        while (end < script.size()) {
            const char c = script[end];
            if (static_cast<unsigned char>(c) <= ' ' || c == '(' || c == '{' || c == '}' ||
                (tag && c == '>'))
                break;
            lower.push_back(Lower(c));
            ++end;
        }
        if (IsBlocked(lower)) script[name] = 'z';
    }
}

std::string RandomBytes(std::uint64_t seed) {
    Random random(seed);
    std::string script(random.Below(301), '\0');
    // Mostly printable, so that some runs get past the first byte.
    for (char& c : script)
        c = static_cast<char>(random.OneIn(4) ? random.Below(256) : 32 + random.Below(95));
    NeutraliseBlockedNames(script);
    return script;
}

std::string TokenSoup(std::uint64_t seed) {
    Random random(seed);
    // Half of them inside a page, so that text is no error of its own.
    const bool onPage = random.OneIn(2);
    std::string script = onPage ? "&html(\"p.html\"){" : "";
    const std::size_t tokens = random.Below(81);
    for (std::size_t i = 0; i < tokens; ++i)
        script += AnyToken(random);
    if (onPage) script += "}";
    NeutraliseBlockedNames(script);
    return script;
}

std::string NestedCalls(std::uint64_t seed) {
    Random random(seed);
    std::string script = NestWriter(random).Script();
    NeutraliseBlockedNames(script);
    return script;
}

std::string Mutate(std::string_view script, std::span<const std::string> donors,
                   std::uint64_t seed) {
    Random random(seed);
    std::string mutated(script);
    const std::size_t edits = 1 + random.Below(4);
    for (std::size_t i = 0; i < edits; ++i)
        MutateOnce(mutated, donors, random);
    NeutraliseBlockedNames(mutated);
    return mutated;
}

std::string Escaped(std::string_view script) {
    std::string out;
    for (const char c : script) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out.push_back('\\');
            out.push_back(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x\"\"", byte);
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace fuzz

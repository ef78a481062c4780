#include "quarn/script/expr_evaluator.h"

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <system_error>

#include "platform/ascii.h"
#include "platform/c_locale.h"
#include "quarn/script/memory_guard.h"
#include "quarn/script/number_text.h"
#include "quarn/services/messages.h"

namespace {

constexpr int kSyntaxError = 32;
constexpr int kIllegalCharacter = 33;
constexpr int kDivideByZero = 34;

// Parentheses a script may nest; the expression's own wrapping pair comes on top.
constexpr int kMaxNesting = 1000;

constexpr std::string_view kEndOfInput = "EOI";
constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
constexpr std::string_view kLegalCharacters = "ABCDEFGHIJKLM1234567890()^*%/i+-<>=&|!~e. ";

// The ASCII characters a text holds, one bit each, so that a replacement is looked for only where
// it can occur (every replacement's text is ASCII). It may also hold characters the text has lost
// since, which only costs a search.
class CharacterSet {
public:
    constexpr CharacterSet() = default;
    constexpr explicit CharacterSet(std::string_view text) { Add(text); }

    // Without branches or memory, so that a loop over a text's characters keeps the set in
    // registers.
    constexpr void Add(char c) {
        const auto byte = static_cast<unsigned char>(c);
        const std::uint64_t bit = std::uint64_t{1} << (byte % 64);
        m_low |= byte < 64 ? bit : 0;
        m_high |= byte >= 64 && byte < 128 ? bit : 0;
    }
    constexpr void Add(std::string_view text) {
        for (char c : text)
            Add(c);
    }
    constexpr void Add(const CharacterSet& other) {
        m_low |= other.m_low;
        m_high |= other.m_high;
    }
    constexpr void Remove(char c) {
        CharacterSet removed;
        removed.Add(c);
        m_low &= ~removed.m_low;
        m_high &= ~removed.m_high;
    }
    constexpr bool Holds(char c) const {
        CharacterSet wanted;
        wanted.Add(c);
        return HoldsAny(wanted);
    }
    constexpr bool HoldsAll(const CharacterSet& other) const {
        return (m_low & other.m_low) == other.m_low && (m_high & other.m_high) == other.m_high;
    }
    constexpr bool HoldsAny(const CharacterSet& other) const {
        return ((m_low & other.m_low) | (m_high & other.m_high)) != 0;
    }

private:
    std::uint64_t m_low = 0;   // characters 0 to 63
    std::uint64_t m_high = 0;  // characters 64 to 127
};

struct Replacement {
    constexpr Replacement(std::string_view strFrom, std::string_view strTo)
        : from(strFrom), to(strTo), fromCharacters(strFrom), toCharacters(strTo) {}

    std::string_view from;
    std::string_view to;
    CharacterSet fromCharacters;
    CharacterSet toCharacters;
};

// Replaced in this order, each one everywhere before the next, so a longer word listed before a
// shorter one that it contains wins. The letters A to M are the functions.
constexpr std::array<Replacement, 59> kWords = {{
    {"iconexclamation", "48"},
    {"iconinformation", "64"},
    {"iconquestion", "32"},
    {"yesnocancel", "3"},
    {"iconwarning", "48"},
    {"formatnone", "2"},
    {"cr2brstrip", "8"},
    {"iconerror", "16"},
    {"nohexconv", "2"},
    {"okcancel", "1"},
    {"formatcr", "1"},
    {"jtolepk", "1"},
    {"hiascii", "64"},
    {"hexconv", "4"},
    {"format", "0"},
    {"cancel", "2"},
    {"alog10", "J"},
    {"cr2br", "4"},
    {"exist", "5"},
    {"fattr", "4"},
    {"fsize", "3"},
    {"ctime", "0"},
    {"mtime", "1"},
    {"atime", "2"},
    {"nodel", "128"},
    {"dword", "8"},
    {"false", "0"},
    {"log10", "I"},
    {"yesno", "4"},
    {"byte", "2"},
    {"word", "4"},
    {"true", "1"},
    {"acos", "D"},
    {"asin", "E"},
    {"atan", "F"},
    {"sqrt", "G"},
    {"mbok", "0"},
    {"del", "0"},
    {"sin", "A"},
    {"cos", "B"},
    {"tan", "C"},
    {"exp", "H"},
    {"yes", "6"},
    {"abs", "L"},
    {"int", "M"},
    {"lt", "<"},
    {"gt", ">"},
    {"le", "<="},
    {"ge", ">="},
    {"fa", "2"},
    {"fh", "1"},
    {"fq", "4"},
    {"ff", "8"},
    {"fb", "16"},
    {"nf", "0"},
    {"no", "7"},
    {"ok", "1"},
    {"pi", "3.141592654"},
    {"ln", "K"},
}};

// Multi-character operators become one letter, in this order. "/i" is integer division.
constexpr std::array<Replacement, 9> kOperatorRewrites = {{
    {"<=", "a"},
    {">=", "b"},
    {"!=", "c"},
    {"==", "d"},
    {"e-", "f"},
    {"e+", "e"},
    {"||", "g"},
    {"&&", "h"},
    {"/i", "\\"},
}};

// Replaces the leftmost occurrence, and again until none is left, in one pass from the left: the
// text before the pass position holds no occurrence, and a replacement can only complete one that
// ends where it ends or later, provided it is at most one character long or shares no character
// with what it replaces (ReplacesInOnePass). Returns whether there was an occurrence. Scratch
// receives the old text's buffer, so repeated evaluations allocate nothing.
bool ReplaceEverywhere(std::string& text, const Replacement& replacement, std::string& scratch) {
    std::size_t at = text.find(replacement.from);
    if (at == std::string::npos) return false;
    scratch.assign(text, 0, at);
    const char chLast = replacement.from.back();
    for (; at < text.size(); ++at) {
        scratch.push_back(text[at]);
        // The last character first: most characters end no occurrence.
        while (scratch.back() == chLast && scratch.ends_with(replacement.from)) {
            scratch.resize(scratch.size() - replacement.from.size());
            scratch.append(replacement.to);
        }
    }
    text.swap(scratch);
    return true;
}

constexpr bool ReplacesInOnePass(const Replacement& replacement) {
    if (replacement.from.empty()) return false;
    if (replacement.to.size() <= 1) return true;
    for (char c : replacement.to) {
        if (replacement.from.find(c) != std::string_view::npos) return false;
    }
    return true;
}

template <std::size_t N>
constexpr bool AllReplaceInOnePass(const std::array<Replacement, N>& table) {
    for (const Replacement& replacement : table) {
        if (!ReplacesInOnePass(replacement)) return false;
    }
    return true;
}

static_assert(AllReplaceInOnePass(kWords) && AllReplaceInOnePass(kOperatorRewrites));

// Applies the replacements in table order, each everywhere before the next. `held` starts as the
// characters of `text`.
template <std::size_t N>
void ReplaceInOrder(std::string& text, const std::array<Replacement, N>& table, CharacterSet held,
                    std::string& scratch) {
    for (const Replacement& replacement : table) {
        if (held.HoldsAll(replacement.fromCharacters) &&
            ReplaceEverywhere(text, replacement, scratch)) {
            held.Add(replacement.toCharacters);
        }
    }
}

constexpr CharacterSet kLegal(kLegalCharacters);
constexpr CharacterSet kLowerCaseLetters("abcdefghijklmnopqrstuvwxyz");

bool IsLegal(char c) {
    return kLegal.Holds(c);
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNumberCharacter(char c) {
    return IsDigit(c) || c == '.' || c == 'e' || c == 'f';
}

bool IsNumberToken(std::string_view token) {
    if (token.empty()) return false;
    for (char c : token) {
        if (!IsNumberCharacter(c)) return false;
    }
    return true;
}

// A level's operators, written with blanks between them. A token is one of them when the list
// holds it; since tokens hold no blank and every operator is one character, that is when it is one
// character that the list holds.
class OperatorList {
public:
    constexpr explicit OperatorList(std::string_view list) : m_held(list) { m_held.Remove(' '); }
    bool Holds(std::string_view token) const { return token.size() == 1 && m_held.Holds(token[0]); }

private:
    CharacterSet m_held;
};

constexpr OperatorList kLogicalOperators(" g h | & ^ ");
constexpr OperatorList kComparisonOperators(" c b a d > < ");
constexpr OperatorList kMultiplicativeOperators(" * / \\ % ");
constexpr OperatorList kPrefixOperators(" ~ ! A B C D E F G H I J K L M ");
// An operand missing right after one of these (in reading order) is an empty left operand.
constexpr OperatorList kOperatorsWithoutLeftOperand(" ! A B C D E F G H I J K L M - + ~ ");

bool IsLogicalOperator(std::string_view token) {
    return kLogicalOperators.Holds(token);
}
bool IsComparisonOperator(std::string_view token) {
    return kComparisonOperators.Holds(token);
}
bool IsAdditiveOperator(std::string_view token) {
    return token == "+" || token == "-";
}
bool IsMultiplicativeOperator(std::string_view token) {
    return kMultiplicativeOperators.Holds(token);
}
bool IsPrefixOperator(std::string_view token) {
    return kPrefixOperators.Holds(token);
}

// Truncates toward zero to 64 bits and keeps the low 32 bits as a signed value; NaN and values
// beyond the 64-bit range give 0.
std::int32_t ToInt32(double value) {
    if (!(value >= -0x1p63 && value < 0x1p63)) return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(value)));
}

double Truth(bool condition) {
    return condition ? 1.0 : 0.0;
}

}  // namespace

CExprEvaluator::~CExprEvaluator() = default;

int CExprEvaluator::Evaluate(std::string_view strExpression) {
    m_vecTokens.clear();
    ClearNodes();
    m_nError = 0;
    m_strPreviousToken = {};
    m_strCurrentToken = {};
    m_nNesting = 0;
    m_vecChain.clear();

    const std::size_t nStart = strExpression.find_first_not_of(kWhiteSpace);
    if (nStart == std::string_view::npos) {
        m_strResult.clear();
        return 1;
    }
    // Token and node indexes are ints; a longer text is beyond the engine's text limit anyway.
    if (strExpression.size() - nStart > static_cast<std::size_t>(INT_MAX) - 2) {
        m_strResult = LoadMessage(kOutOfMemory);
        return 0;
    }
    const auto evaluate = [&] { return EvaluateTrimmed(strExpression.substr(nStart)); };
    const auto outOfMemory = [this] {
        m_nError = kOutOfMemory;
        return 0;
    };
    if (CatchOutOfMemory(evaluate, outOfMemory)) return 1;
    m_strResult = LoadMessage(m_nError);
    return 0;
}

int CExprEvaluator::EvaluateTrimmed(std::string_view strExpression) {
    PrepareText(strExpression);
    if (!CutTokens()) return 0;
    NextToken();
    m_nRoot = ParseLogical();
    if (m_strCurrentToken != kEndOfInput) Fail(kSyntaxError);
    if (m_nError) return 0;
    m_nVisited = 0;
    const double dValue = EvalNode(m_nRoot);
    if (m_nError) return 0;
    // A node that the tree does not use was built from tokens that belong to no operand.
    if (m_nVisited != LastNodeIndex() + 1) {
        Fail(kSyntaxError);
        return 0;
    }
    FormatNumber(dValue, m_strResult);
    return 1;
}

void CExprEvaluator::PrepareText(std::string_view strExpression) {
    m_strText.resize(strExpression.size() + 2);
    char* pOut = m_strText.data();
    *pOut++ = '(';
    CharacterSet held;
    for (char c : strExpression) {
        c = platform::AsciiLower(c);
        held.Add(c);
        *pOut++ = c;
    }
    *pOut = ')';
    // Words are lower-case letters; most expressions hold none.
    if (held.HoldsAny(kLowerCaseLetters)) ReplaceInOrder(m_strText, kWords, held, m_strScratch);
}

int CExprEvaluator::CutTokens() {
    m_strWork.resize(m_strText.size());
    char* pOut = m_strWork.data();
    CharacterSet held;
    for (char c : m_strText) {
        if (!IsLegal(c)) {
            Fail(kIllegalCharacter);
            return 0;
        }
        held.Add(c);
        *pOut = c;
        pOut += c != ' ';
    }
    m_strWork.resize(static_cast<std::size_t>(pOut - m_strWork.data()));
    ReplaceInOrder(m_strWork, kOperatorRewrites, held, m_strScratch);
    // A run of number characters is one token; every other character is a token of its own. The
    // text begins with "(", so the first character always opens a token.
    const std::string_view strWork = m_strWork;
    for (std::size_t i = 0; i < strWork.size(); ++i) {
        if (i > 0 && IsNumberCharacter(strWork[i]) && IsNumberCharacter(strWork[i - 1])) {
            std::string_view& strToken = m_vecTokens.back();
            strToken = std::string_view(strToken.data(), strToken.size() + 1);
            continue;
        }
        if (strWork[i] == '=') Fail(kSyntaxError);
        m_vecTokens.push_back(strWork.substr(i, 1));
    }
    m_nCursor = static_cast<int>(m_vecTokens.size()) - 1;
    return 1;
}

std::string_view CExprEvaluator::NextToken() {
    m_strPreviousToken = m_strCurrentToken;
    m_strCurrentToken = ReadToken();
    return m_strPreviousToken;
}

std::string_view CExprEvaluator::ReadToken() {
    if (m_nCursor < 0) return kEndOfInput;
    return m_vecTokens[static_cast<std::size_t>(m_nCursor--)];
}

std::string_view CExprEvaluator::TokenAtCursor() const {
    if (m_nCursor < 0) return kEndOfInput;
    return m_vecTokens[static_cast<std::size_t>(m_nCursor)];
}

// The operands X1 o1 X2 o2 ... Xn of one level are read from the right (X1 is the rightmost).
// The nodes are then built from the left end of the text inward: (Xn o(n-1) X(n-1)) first, each
// next node taking the one before as its left operand. That is the order in which one recursion
// per operator builds them, and it groups the operators of a level from left to right.
template <CExprEvaluator::ParseLevel parseHigher, CExprEvaluator::OperatorTest isOperator>
int CExprEvaluator::ParseChain() {
    const std::size_t nBase = m_vecChain.size();
    int nOperand = (this->*parseHigher)();
    while (!m_nError && isOperator(m_strCurrentToken)) {
        const std::string_view strOperator = NextToken();
        m_vecChain.push_back(ChainLink{nOperand, strOperator});
        nOperand = (this->*parseHigher)();
    }
    if (m_nError) {
        m_vecChain.resize(nBase);
        return 0;
    }
    while (m_vecChain.size() > nBase) {
        const ChainLink link = m_vecChain.back();
        m_vecChain.pop_back();
        nOperand = AddNode(link.strOperator, link.nOperand, nOperand);
    }
    return nOperand;
}

int CExprEvaluator::ParseLogical() {
    return ParseChain<&CExprEvaluator::ParseComparison, IsLogicalOperator>();
}

int CExprEvaluator::ParseComparison() {
    return ParseChain<&CExprEvaluator::ParseAdditive, IsComparisonOperator>();
}

int CExprEvaluator::ParseAdditive() {
    return ParseChain<&CExprEvaluator::ParseMultiplicative, IsAdditiveOperator>();
}

int CExprEvaluator::ParseMultiplicative() {
    return ParseChain<&CExprEvaluator::ParsePrefix, IsMultiplicativeOperator>();
}

int CExprEvaluator::ParsePrefix() {
    return ParseChain<&CExprEvaluator::ParseSign, IsPrefixOperator>();
}

// A sign is unary when the token left of it is no number and no parenthesis; otherwise it is left
// for ParseAdditive, which still makes it unary after a "(" by its empty left operand.
int CExprEvaluator::ParseSign() {
    const int nRight = ParsePrimary();
    if (m_nError || !IsAdditiveOperator(m_strCurrentToken)) return nRight;
    const std::string_view strLeft = TokenAtCursor();
    if (IsNumberToken(strLeft) || strLeft == "(" || strLeft == ")") return nRight;
    const std::string_view strSign = NextToken();
    const int nLeft = ParsePrimary();
    if (m_nError) return 0;
    return AddNode(strSign, nRight, nLeft);
}

int CExprEvaluator::ParsePrimary() {
    if (m_nError) return 0;
    if (m_strCurrentToken == ")") {
        // The wrapping pair is the first level, so a script's own pairs may nest kMaxNesting deep.
        if (m_nNesting > kMaxNesting) {
            Fail(kSyntaxError);
            return 0;
        }
        ++m_nNesting;
        NextToken();
        const int nInner = ParseLogical();
        --m_nNesting;
        if (m_nError) return 0;
        if (m_strCurrentToken != "(") {
            Fail(kSyntaxError);
            return 0;
        }
        NextToken();
        return nInner;
    }
    if (IsNumberToken(m_strCurrentToken)) return AddNode(NextToken(), kNoOperand, kNoOperand);
    if (kOperatorsWithoutLeftOperand.Holds(m_strPreviousToken)) return kUnaryOperand;
    Fail(kSyntaxError);
    return 0;
}

// Walks the tree below nNode in post-order, left operand before right, on a stack of its own.
// After a failure the walk goes on with the failed node's value 0, so the message of the last
// failure stands.
double CExprEvaluator::EvalNode(int nNode) {
    m_vecFrames.clear();
    m_vecValues.clear();
    m_vecFrames.push_back(EvalFrame{nNode, 0});
    while (!m_vecFrames.empty()) {
        EvalFrame& frame = m_vecFrames.back();
        const int n = frame.nNode;
        if (frame.nStage == 0) {
            ++m_nVisited;
            const std::string_view strOperator = GetOperator(n);
            if (strOperator.empty()) {
                Fail(kSyntaxError);
                m_vecValues.push_back(0.0);
                m_vecFrames.pop_back();
                continue;
            }
            if (IsDigit(strOperator[0]) || strOperator[0] == '.') {
                m_vecValues.push_back(ReadNumber(strOperator));
                m_vecFrames.pop_back();
                continue;
            }
            frame.nStage = 1;
            PushOperand(LeftOperandRef(n), n);
            continue;
        }
        if (frame.nStage == 1) {
            frame.nStage = 2;
            PushOperand(RightOperandRef(n), n);
            continue;
        }
        m_vecFrames.pop_back();
        const bool bNoLeft = LeftOperandRef(n) == kUnaryOperand;
        const bool bNoRight = RightOperandRef(n) == kUnaryOperand;
        double dRight = 0.0;
        double dLeft = 0.0;
        if (!bNoRight) {
            dRight = m_vecValues.back();
            m_vecValues.pop_back();
        }
        if (!bNoLeft) {
            dLeft = m_vecValues.back();
            m_vecValues.pop_back();
        }
        double dValue = 0.0;
        if (bNoLeft && bNoRight) {
            Fail(kSyntaxError);
        } else {
            dValue = ApplyOperator(GetOperator(n)[0], bNoLeft || bNoRight, dLeft, dRight);
        }
        m_vecValues.push_back(dValue);
    }
    return m_vecValues.back();
}

// Only a lower index is a valid operand, so the walk always ends; any other reference (a number
// node's empty operands included) is a syntax error whose value is 0.
void CExprEvaluator::PushOperand(int nReference, int nUser) {
    if (nReference == kUnaryOperand) return;
    if (nReference < 0 || nReference >= nUser) {
        Fail(kSyntaxError);
        m_vecValues.push_back(0.0);
        return;
    }
    m_vecFrames.push_back(EvalFrame{nReference, 0});
}

// A unary node's operand is its right operand (0 when the missing operand is the right one).
double CExprEvaluator::ApplyOperator(char chOperator, bool bUnary, double dLeft, double dRight) {
    if (chOperator == '+') return bUnary ? dRight : dLeft + dRight;
    if (chOperator == '-') return bUnary ? -dRight : dLeft - dRight;
    if (bUnary) {
        const double x = dRight;
        switch (chOperator) {
            case '!':
                return Truth(x == 0.0);
            case '~':
                return ~ToInt32(x);
            case 'A':
                return std::sin(x);
            case 'B':
                return std::cos(x);
            case 'C':
                return std::tan(x);
            case 'D':
                return std::acos(x);
            case 'E':
                return std::asin(x);
            case 'F':
                return std::atan(x);
            case 'G':
                return std::sqrt(x);
            case 'H':
                return std::exp(x);
            case 'I':
                return std::log10(x);
            case 'J':
                return std::pow(10.0, x);
            case 'K':
                return std::log(x);
            case 'L':
                return std::fabs(x);
            case 'M':
                return ToInt32(x);
            default:
                break;
        }
        Fail(kSyntaxError);
        return 0.0;
    }
    switch (chOperator) {
        case '*':
            return dLeft * dRight;
        case '/':
        case '\\':
            if (dRight == 0.0) {
                Fail(kDivideByZero);
                return 0.0;
            }
            return chOperator == '/' ? dLeft / dRight : ToInt32(dLeft / dRight);
        case '%': {
            const std::int32_t nLeft = ToInt32(dLeft);
            const std::int32_t nRight = ToInt32(dRight);
            if (nRight == 0) {
                Fail(kDivideByZero);
                return 0.0;
            }
            // INT32_MIN % -1 overflows; any value modulo -1 is 0.
            return nRight == -1 ? 0 : nLeft % nRight;
        }
        case '<':
            return Truth(dLeft < dRight);
        case '>':
            return Truth(dLeft > dRight);
        case 'a':
            return Truth(dLeft <= dRight);
        case 'b':
            return Truth(dLeft >= dRight);
        case 'c':
            return Truth(dLeft != dRight);
        case 'd':
            return Truth(dLeft == dRight);
        case '^':
            return ToInt32(dLeft) ^ ToInt32(dRight);
        case '|':
            return ToInt32(dLeft) | ToInt32(dRight);
        case '&':
            return ToInt32(dLeft) & ToInt32(dRight);
        case 'g':
            return Truth(dLeft != 0.0 || dRight != 0.0);
        case 'h':
            return Truth(dLeft != 0.0 && dRight != 0.0);
        default:
            break;
    }
    Fail(kSyntaxError);
    return 0.0;
}

// Reads the longest decimal number at the start of the text; "" or "." read as 0. "f" stands for
// "e-" (the operator rewrite made it).
double CExprEvaluator::ReadNumber(std::string_view strNumber) {
    // Up to 15 decimal digits are a whole number that a double holds exactly, so adding them up
    // gives what from_chars would, without its general algorithm.
    constexpr std::size_t kExactDigits = 15;
    if (!strNumber.empty() && strNumber.size() <= kExactDigits &&
        std::all_of(strNumber.begin(), strNumber.end(), IsDigit)) {
        std::int64_t nWhole = 0;
        for (char c : strNumber)
            nWhole = nWhole * 10 + (c - '0');
        return static_cast<double>(nWhole);
    }
    if (strNumber.find('f') != std::string_view::npos) {
        m_strScratch.clear();
        for (char c : strNumber) {
            if (c == 'f') {
                m_strScratch += "e-";
            } else {
                m_strScratch += c;
            }
        }
        strNumber = m_strScratch;
    }
    const char* pBegin = strNumber.data();
    double dValue = 0.0;
    const auto [pEnd, error] = std::from_chars(pBegin, pBegin + strNumber.size(), dValue);
    if (error == std::errc::invalid_argument) return 0.0;
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone; strtod gives infinity or the underflowed value.
        const std::string strMatched(pBegin, pEnd);
        return strtod_l(strMatched.c_str(), nullptr, platform::CLocale());
    }
    return dValue;
}

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "quarn/script/script_context.h"

namespace {

// One row of a generated table page: text, escapes and eight substitutions, one of them indexed
// and one a built-in.
constexpr std::string_view kRowTemplate =
    "<tr class=\"?class?\"><td>?id?</td><td><a href=\"item?id?.html\">?name?</a></td>"
    "<td align=right>?price?</td><td>?qty?</td><td>?tag[1]?</td><td>?tag[-1]?</td>"
    "<td>?quarndate.y?</td></tr>\\r\\n";
constexpr int kRowSubstitutions = 9;

// kRowTemplate expanded: the year is the built-in's.
std::string ExpectedRow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return "<tr class=\"odd\"><td>1042</td><td><a href=\"item1042.html\">Widget, large</a></td>"
           "<td align=right>19.95</td><td>7</td><td>new</td><td>sale</td><td>" +
           std::to_string(local.tm_year + 1900) + "</td></tr>\r\n";
}

// ExpandText of `text`; false, with the benchmark stopped by its error, when it fails.
bool Expand(benchmark::State& state, CScriptContext& context, std::string_view text) {
    if (context.ExpandText(text)) return true;
    state.SkipWithError(context.m_strMessage.c_str());
    return false;
}

// Stops the benchmark with an error unless the last expansion gave `expected`; checked once after
// the loop, since every turn expands the same text.
void CheckExpansion(benchmark::State& state, const CScriptContext& context,
                    std::string_view expected) {
    if (!state.error_occurred() && context.m_strMessage != expected)
        state.SkipWithError(("expanded to \"" + context.m_strMessage + "\"").c_str());
}

void DefineValue(CScriptContext& context, std::string_view name, std::string_view value) {
    context.DefineVariable(name);
    context.m_astrVarValues.back() = value;
}

// The variables of kRowTemplate, defined first (the oldest), then `filler` unrelated ones, as a
// script that defines its page variables early and its loop variables later would have them.
void DefinePageVariables(CScriptContext& context, std::int64_t filler) {
    DefineValue(context, "class", "odd");
    DefineValue(context, "id", "1042");
    DefineValue(context, "name", "Widget, large");
    DefineValue(context, "price", "19.95");
    DefineValue(context, "qty", "7");
    DefineValue(context, "tag", "new");
    DefineValue(context, "tag", "sale");
    DefineValue(context, "tag", "featured");
    for (std::int64_t i = 0; i < filler; ++i)
        DefineValue(context, "filler" + std::to_string(i), "value");
}

void BM_ExpandRowTemplate(benchmark::State& state) {
    CScriptContext context(nullptr);
    DefinePageVariables(context, state.range(0));
    const std::string expected = ExpectedRow();
    for (auto _ : state) {
        if (!Expand(state, context, kRowTemplate)) break;
        benchmark::DoNotOptimize(context.m_strMessage.data());
    }
    CheckExpansion(state, context, expected);
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["expansions"] = benchmark::Counter(iterations, benchmark::Counter::kIsRate);
    state.counters["substitutions"] =
        benchmark::Counter(iterations * kRowSubstitutions, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExpandRowTemplate)->Arg(0)->Arg(300);

// What the template runner hands over per substitution: one reference on its own.
void BM_ExpandOneReference(benchmark::State& state) {
    CScriptContext context(nullptr);
    DefinePageVariables(context, 0);
    for (auto _ : state) {
        if (!Expand(state, context, "?name?")) break;
        benchmark::DoNotOptimize(context.m_strMessage.data());
    }
    CheckExpansion(state, context, "Widget, large");
    state.counters["substitutions"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExpandOneReference);

// Lookups scan the definitions from the newest: the oldest of `range` definitions is the worst
// case, an indexed occurrence counted from the oldest the best.
void LookupAmongDefinitions(benchmark::State& state, std::string_view reference,
                            std::string_view expected) {
    CScriptContext context(nullptr);
    for (std::int64_t i = 0; i < state.range(0); ++i)
        DefineValue(context, "v" + std::to_string(i), "value" + std::to_string(i));
    for (std::int64_t i = 0; i < state.range(0); ++i)
        DefineValue(context, "arr", std::to_string(i));
    for (auto _ : state) {
        if (!Expand(state, context, reference)) break;
        benchmark::DoNotOptimize(context.m_strMessage.data());
    }
    CheckExpansion(state, context, expected);
    state.counters["lookups"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
void BM_LookupOldest(benchmark::State& state) {
    LookupAmongDefinitions(state, "?v0?", "value0");
}
void BM_LookupNewestOccurrence(benchmark::State& state) {
    LookupAmongDefinitions(state, "?arr?", std::to_string(state.range(0) - 1));
}
void BM_LookupIndexedFromOldest(benchmark::State& state) {
    LookupAmongDefinitions(state, "?arr[2]?", "1");
}
BENCHMARK(BM_LookupOldest)->Arg(100)->Arg(300);
BENCHMARK(BM_LookupNewestOccurrence)->Arg(300);
BENCHMARK(BM_LookupIndexedFromOldest)->Arg(300);

}  // namespace

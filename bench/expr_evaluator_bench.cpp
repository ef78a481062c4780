#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "quarn/script/expr_evaluator.h"

namespace {

// What scripts hand the evaluator: plain numbers, flag words, conditions, some arithmetic and a
// division by zero, each with its value ("" for the failure).
struct Case {
    std::string_view expression;
    std::string_view value;
};
constexpr std::array<Case, 20> kMixed = {{
    {"5", "5"},
    {"1 + 2 * 3", "7"},
    {"(1 + 2) * 3", "9"},
    {"10 /i 4", "2"},
    {"-7 % 3", "-1"},
    {"8 - 3 - 2", "3"},
    {"1 || 0 && 0", "0"},
    {"1 | 2 == 3", "1"},
    {"okcancel+iconquestion", "33"},
    {"yesno", "4"},
    {"2 * PI", "6.283185308"},
    {"int(-2.5)", "-2"},
    {"sqrt(16)", "4"},
    {"alog10(2)", "100"},
    {"1e-3", "0.001"},
    {"-sin 1", "-0.841470984807897"},
    {"12 <= 13", "1"},
    {"!(!1)", "1"},
    {"1 / 3", "0.333333333333333"},
    {"5 % 0.5", ""},
}};

bool Fail(benchmark::State& state, const Case& item, const CExprEvaluator& evaluator) {
    state.SkipWithError((std::string(item.expression) + " gave " + evaluator.m_strResult).c_str());
    return false;
}

// Evaluates each of kMixed; false, with the benchmark stopped by an error, when one succeeds or
// fails other than it should, or, with `checkValues`, gives another value.
bool EvaluateAll(benchmark::State& state, CExprEvaluator& evaluator, bool checkValues) {
    for (const Case& item : kMixed) {
        if (evaluator.Evaluate(item.expression) != !item.value.empty() ||
            (checkValues && !item.value.empty() && evaluator.m_strResult != item.value))
            return Fail(state, item, evaluator);
    }
    return true;
}

void BM_EvaluateMixed(benchmark::State& state) {
    CExprEvaluator evaluator;
    // The values once, untimed; the timed turns check each outcome.
    if (!EvaluateAll(state, evaluator, true)) return;
    std::size_t nEvaluated = 0;
    for (auto _ : state) {
        if (!EvaluateAll(state, evaluator, false)) break;
        nEvaluated += kMixed.size();
    }
    state.counters["expressions"] =
        benchmark::Counter(static_cast<double>(nEvaluated), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EvaluateMixed);

void BM_EvaluateLongChain(benchmark::State& state) {
    std::string expression = "1";
    for (std::int64_t i = 0; i < state.range(0); ++i)
        expression += "+1";
    CExprEvaluator evaluator;
    const std::string sum = std::to_string(state.range(0) + 1);
    for (auto _ : state) {
        if (!evaluator.Evaluate(expression) || evaluator.m_strResult != sum) {
            state.SkipWithError(("the sum came out as " + evaluator.m_strResult).c_str());
            break;
        }
    }
    state.counters["operators"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EvaluateLongChain)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

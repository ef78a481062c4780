#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "quarn/script/expr_evaluator.h"

namespace {

// What scripts hand the evaluator: plain numbers, flag words, conditions and some arithmetic.
constexpr std::array<std::string_view, 20> kMixed = {
    "5",           "1 + 2 * 3",  "(1 + 2) * 3",
    "10 /i 4",     "-7 % 3",     "8 - 3 - 2",
    "1 || 0 && 0", "1 | 2 == 3", "okcancel+iconquestion",
    "yesno",       "2 * PI",     "int(-2.5)",
    "sqrt(16)",    "alog10(2)",  "1e-3",
    "-sin 1",      "12 <= 13",   "!(!1)",
    "1 / 3",       "5 % 0.5",
};

void BM_EvaluateMixed(benchmark::State& state) {
    CExprEvaluator evaluator;
    std::size_t nEvaluated = 0;
    for (auto _ : state) {
        for (std::string_view expression : kMixed) {
            benchmark::DoNotOptimize(evaluator.Evaluate(expression));
        }
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
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluator.Evaluate(expression));
    state.counters["operators"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EvaluateLongChain)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

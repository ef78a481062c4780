// Opening, scanning and saving a 5 MiB script as tolvane does.

#include <benchmark/benchmark.h>

#include "bench/tolvane_script_text.h"
#include "tests/fixtures/temp_dir.h"
#include "tolvane/ed_doc.h"
#include "tolvane/edit_rules.h"

namespace {

constexpr std::size_t kScriptBytes = 5 * 1024 * 1024;

class ScriptOnDisk {
public:
    ScriptOnDisk() { m_ok = fixtures::WriteTextFile(Path(), BenchScript(kScriptBytes), nullptr); }
    bool Ok() const { return m_ok; }
    std::string Path() const { return m_dir.File("big.scp"); }

private:
    fixtures::TempDir m_dir{"tolvane_bench"};
    bool m_ok = false;
};

void BM_OpenScript(benchmark::State& state) {
    ScriptOnDisk script;
    if (!script.Ok()) return state.SkipWithError("cannot write the script");
    for (auto _ : state) {
        CEdDoc doc;
        if (doc.Open(script.Path()) == 0) return state.SkipWithError(doc.m_strMessage.c_str());
        benchmark::DoNotOptimize(doc.File().Text().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kScriptBytes));
}
BENCHMARK(BM_OpenScript)->Unit(benchmark::kMillisecond);

void BM_CollectStatements(benchmark::State& state) {
    const std::string text = BenchScript(kScriptBytes);
    for (auto _ : state) {
        for (const char* keyword : {"&datasource", "&sql", "&html"})
            benchmark::DoNotOptimize(CollectStatements(text, keyword).size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 3 * text.size()));
}
BENCHMARK(BM_CollectStatements)->Unit(benchmark::kMillisecond);

void BM_SaveEditedScript(benchmark::State& state) {
    ScriptOnDisk script;
    CEdDoc doc;
    if (!script.Ok() || doc.Open(script.Path()) == 0) return state.SkipWithError("cannot open");
    std::string text = doc.File().Text();
    for (auto _ : state) {
        text[text.size() / 2] = text[text.size() / 2] == 'x' ? 'y' : 'x';
        if (doc.Save(script.Path(), text) == 0)
            return state.SkipWithError(doc.m_strMessage.c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kScriptBytes));
}
BENCHMARK(BM_SaveEditedScript)->Unit(benchmark::kMillisecond);

}  // namespace

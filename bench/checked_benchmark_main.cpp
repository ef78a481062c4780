// main() of the Google Benchmark programs: runs the benchmarks the command line selects, reported
// as the command line asks, and exits 1 when any of them reported an error
// (state.SkipWithError), so that `make bench` fails when a benchmark's work went wrong instead of
// showing figures for it.

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Hands everything to the library's own display reporter, remembering whether a run ended in an
// error.
class ErrorNotingReporter : public benchmark::BenchmarkReporter {
public:
    explicit ErrorNotingReporter(benchmark::BenchmarkReporter& display) : m_display(display) {}

    bool ReportContext(const Context& context) override { return m_display.ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            m_bErrorSeen = m_bErrorSeen || run.error_occurred;
        m_display.ReportRuns(runs);
    }
    void Finalize() override { m_display.Finalize(); }

    bool ErrorSeen() const { return m_bErrorSeen; }

private:
    benchmark::BenchmarkReporter& m_display;
    bool m_bErrorSeen = false;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // The library keeps the display reporter it makes for the whole run.
    ErrorNotingReporter reporter(*benchmark::CreateDefaultDisplayReporter());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.ErrorSeen() ? 1 : 0;
}

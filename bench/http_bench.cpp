// 1,000 HTTP GETs of a small page from the local test server (Python's http.server on
// 127.0.0.1): one run of the quarn program file, whose script fetches the page 1,000 times with
// the http built-in and writes every body into one page, side by side with /usr/bin/python3
// fetching it 1,000 times with urllib.request into one file. Each is timed as a whole process,
// start to end; the two take turns going first from round to round. Prints the median times and
// their ratio; exits 1, with no figures, when a run fails, an output holds other than 1,000
// copies of the page, or the server did not see 1,000 requests from each run.

#include <cstdio>
#include <string>
#include <vector>

#include "bench/program_run.h"
#include "tests/fixtures/http_server.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"

namespace {

constexpr int kRequests = 1000;
constexpr int kRounds = 3;
constexpr const char* kPage = "<html><body><p>A small page.</p></body></html>\n";

constexpr const char* kQuarnScript =
    "&defvar(?h?)&defvar(?b?)&defvar(?i?)\n"
    "&html(\"pages.html\",formatnone){&for(?i?,0,?i?<@COUNT@,1){"
    "&http(?h?,?b?,\"127.0.0.1/small.html\",\"GET\",@PORT@)?b?}}\n";

constexpr const char* kPythonScript = R"(
import sys, urllib.request
url, count, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
with open(out, "wb") as pages:
    for _ in range(count):
        with urllib.request.urlopen(url) as answer:
            pages.write(answer.read())
)";

std::string Repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

class Bench {
public:
    explicit Bench(const fixtures::HttpServer& server) : m_server(server) {}

    bool Prepare() {
        if (!m_quarn.Ok() || !m_pythonDir.Ok() || !m_server.AddPage("small.html", kPage)) {
            std::printf("http_bench: cannot prepare: %s%s\n", m_quarn.Error().c_str(),
                        m_pythonDir.Error().c_str());
            return false;
        }
        std::string script = kQuarnScript;
        fixtures::ReplaceAll(script, "@COUNT@", std::to_string(kRequests));
        fixtures::ReplaceAll(script, "@PORT@", std::to_string(m_server.Port()));
        if (m_quarn.WriteScript("Script1.scp", script)) return true;
        std::printf("http_bench: cannot write the script\n");
        return false;
    }

    // `quarn Script1.scp`; its page holds every body, each line ended by CR LF.
    bool Quarn(double& seconds) {
        const bench::ProgramRun run = m_quarn.Run({"Script1.scp"});
        seconds = run.seconds;
        std::string want(kPage);
        fixtures::ReplaceAll(want, "\n", "\r\n");
        return Succeeded("quarn", run) && Holds("quarn", m_quarn.HtmlDir() + "/pages.html", want);
    }

    bool Python(double& seconds) {
        const std::string out = m_pythonDir.File("pages");
        const bench::ProgramRun run = bench::RunProgram(
            {"/usr/bin/python3", "-c", kPythonScript, Url(), std::to_string(kRequests), out},
            m_pythonDir.Path());
        seconds = run.seconds;
        return Succeeded("python3 urllib", run) && Holds("python3 urllib", out, kPage);
    }

private:
    std::string Url() const {
        return "http://" + m_server.Host() + ":" + std::to_string(m_server.Port()) + "/small.html";
    }

    // Whether the run succeeded and the server saw kRequests more requests.
    bool Succeeded(const char* what, const bench::ProgramRun& run) {
        const long seen = static_cast<long>(bench::ScanFiles(m_server.RecordDir()).files.size());
        const long added = seen - m_requestsSeen;
        m_requestsSeen = seen;
        if (run.status != 0) {
            std::printf("http_bench: %s failed (status %d):\n%s\n", what, run.status,
                        run.output.c_str());
            return false;
        }
        if (added != kRequests) {
            std::printf("http_bench: the server saw %ld requests from %s, not %d\n", added, what,
                        kRequests);
            return false;
        }
        return true;
    }

    static bool Holds(const char* what, const std::string& path, const std::string& page) {
        if (fixtures::ReadTextFile(path).value_or("") == Repeated(page, kRequests)) return true;
        std::printf("http_bench: %s did not write %d copies of the page\n", what, kRequests);
        return false;
    }

    const fixtures::HttpServer& m_server;
    bench::QuarnProgramDir m_quarn;
    fixtures::TempDir m_pythonDir{"http_bench_python"};
    long m_requestsSeen = 0;
};

}  // namespace

int main() {
    fixtures::HttpServer server;
    if (!server.IsRunning()) {
        std::printf("http_bench: skipped, %s\n", server.FailureReason().c_str());
        return 0;
    }
    Bench bench(server);
    if (!bench.Prepare()) return 1;
    std::vector<double> quarn, python;
    for (int round = 0; round < kRounds; ++round) {
        double quarnSeconds = 0;
        double pythonSeconds = 0;
        const auto runQuarn = [&] { return bench.Quarn(quarnSeconds); };
        const auto runPython = [&] { return bench.Python(pythonSeconds); };
        const bool ran = round % 2 == 0 ? runQuarn() && runPython() : runPython() && runQuarn();
        if (!ran) return 1;
        quarn.push_back(quarnSeconds);
        python.push_back(pythonSeconds);
    }
    std::printf("%d HTTP GETs of a %zu-byte page from http.server on 127.0.0.1, median of %d\n",
                kRequests, std::string(kPage).size(), kRounds);
    std::printf("%-12s %12s %12s %14s\n", "", "quarn", "urllib", "quarn/urllib");
    std::printf("%-12s %10.3f s %10.3f s %14.2f\n", "one process", bench::Median(quarn),
                bench::Median(python), bench::Median(quarn) / bench::Median(python));
    std::printf("quarn: the program file, `quarn Script1.scp`; python3: urllib.request\n");
    return 0;
}

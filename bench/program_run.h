#pragma once
// End-to-end benchmark runs of real programs: the quarn program in a program directory of its
// own, and any other command, each timed by the wall clock with its peak resident memory.

#include <map>
#include <string>
#include <vector>

#include "tests/fixtures/temp_dir.h"

namespace bench {

struct ProgramRun {
    int status = -1;     // exit status; -1 when it could not start or ended by a signal
    double seconds = 0;  // wall clock, start to reaped
    long peakKiB = 0;    // the child's peak resident memory (wait4's ru_maxrss)
    std::string output;  // standard output and error
};

// Runs `argv` (argv[0] a path) in `dir` with this process's environment plus `extraEnv`
// ("NAME=value", each replacing this process's value), standard input from /dev/null.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& dir,
                      const std::vector<std::string>& extraEnv = {});

// A fresh program directory holding the quarn program and the project kProject with its HTML
// root, as after quarn's first start, and a settings file that lists a dozen more projects. quarn
// runs there with HOME and XDG_RUNTIME_DIR of its own.
class QuarnProgramDir {
public:
    static constexpr const char* kProject = "default";

    QuarnProgramDir();

    bool Ok() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }
    std::string ProjectDir() const {
        return m_programDir.File(std::string("projects/") + kProject);
    }
    std::string HtmlDir() const { return ProjectDir() + "/html"; }
    // The settings file quarn reads at its start.
    std::string SettingsFile() const { return m_programDir.File("Quarn.ini"); }

    // Writes `script` as `name` in the project directory; false when it cannot.
    bool WriteScript(const std::string& name, const std::string& script) const;
    // `quarn args...`, started in the project directory; with `wrapper` ("strace", "-c", ...)
    // that program is started with quarn's command line after its own.
    ProgramRun Run(const std::vector<std::string>& args,
                   const std::vector<std::string>& wrapper = {}) const;

private:
    fixtures::TempDir m_programDir{"bench_quarn"};
    fixtures::TempDir m_runtimeDir{"bench_runtime"};
    std::string m_error;
};

// The regular files below a directory, each with its inode and modification time.
struct FileSet {
    struct Stamp {
        unsigned long inode = 0;
        long long modifiedNs = 0;
        long long bytes = 0;
    };
    std::map<std::string, Stamp> files;
    long long Bytes() const;
};
FileSet ScanFiles(const std::string& dir);
// Files of `after` that `before` does not hold with the same inode and modification time: the
// files a run in between wrote.
long CountWritten(const FileSet& before, const FileSet& after);

// The middle of `values` once sorted (the upper middle of an even count); `values` is not empty.
double Median(std::vector<double> values);

// "12.3 MiB".
std::string Mebibytes(double bytes);

}  // namespace bench

#include "bench/program_run.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tests/fixtures/spawn_program.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

// A settings file like that of a user who keeps a dozen projects, each with its full set of
// keys, the benchmark's project last: reads must not cost more as the file grows.
std::string UsersSettings() {
    constexpr int kProjects = 12;
    constexpr int kKeysPerSection = 45;
    const auto keys = [](std::string& text) {
        for (int key = 0; key < kKeysPerSection; ++key)
            text += "key" + std::to_string(key) + "=value of key " + std::to_string(key) + "\r\n";
    };
    std::string text = "[global]\r\n";
    for (int project = 0; project < kProjects; ++project)
        text += "profile" + std::to_string(project) + "=project" + std::to_string(project) + "\r\n";
    text += "profile" + std::to_string(kProjects) + "=" + QuarnProgramDir::kProject + "\r\n";
    keys(text);
    for (int project = 0; project < kProjects; ++project) {
        text += "\r\n[project" + std::to_string(project) + "]\r\n";
        keys(text);
    }
    text += std::string("\r\n[") + QuarnProgramDir::kProject + "]\r\n";
    keys(text);
    return text;
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& dir,
                      const std::vector<std::string>& extraEnv) {
    ProgramRun run;
    const fixtures::TempDir scratch("bench_output");
    if (!scratch.Ok()) {
        run.output = scratch.Error();
        return run;
    }
    const std::string outputPath = scratch.File("output");
    const std::vector<std::string> env = fixtures::InheritedEnvironment(extraEnv);
    const std::vector<std::string> args(argv.begin() + 1, argv.end());
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = fixtures::SpawnProgram(argv[0], args, dir, env, {outputPath, -1, ""}, pid);
    if (spawned != 0) {
        run.output = argv[0] + " could not be started: " + std::strerror(spawned);
        return run;
    }
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.output = fixtures::ReadTextFile(outputPath).value_or("");
    return run;
}

QuarnProgramDir::QuarnProgramDir() {
    if (!m_programDir.Ok() || !m_runtimeDir.Ok()) {
        m_error = m_programDir.Error() + m_runtimeDir.Error();
        return;
    }
    std::string error;
    if (!fixtures::InstallProgram(QUARN_BINARY, m_programDir.File("quarn"), &error))
        m_error = error;
    std::error_code ec;
    fs::create_directories(HtmlDir(), ec);
    if (ec) m_error = "cannot make " + HtmlDir() + ": " + ec.message();
    if (!fixtures::WriteTextFile(SettingsFile(), UsersSettings(), &error)) m_error = error;
}

bool QuarnProgramDir::WriteScript(const std::string& name, const std::string& script) const {
    return fixtures::WriteTextFile(ProjectDir() + "/" + name, script, nullptr);
}

ProgramRun QuarnProgramDir::Run(const std::vector<std::string>& args,
                                const std::vector<std::string>& wrapper) const {
    std::vector<std::string> argv = wrapper;
    argv.push_back(m_programDir.File("quarn"));
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, ProjectDir(),
                      {"HOME=" + m_programDir.Path(), "XDG_RUNTIME_DIR=" + m_runtimeDir.Path(),
                       "TZ=UTC", "LC_ALL=C", "LANG=C"});
}

long long FileSet::Bytes() const {
    long long bytes = 0;
    for (const auto& [name, stamp] : files)
        bytes += stamp.bytes;
    return bytes;
}

FileSet ScanFiles(const std::string& dir) {
    FileSet set;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        set.files[it->path().string()] = {
            static_cast<unsigned long>(info.st_ino),
            static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            static_cast<long long>(info.st_size)};
    }
    return set;
}

long CountWritten(const FileSet& before, const FileSet& after) {
    long written = 0;
    for (const auto& [name, stamp] : after.files) {
        const auto old = before.files.find(name);
        if (old == before.files.end() || old->second.inode != stamp.inode ||
            old->second.modifiedNs != stamp.modifiedNs)
            ++written;
    }
    return written;
}

std::string Mebibytes(double bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", bytes / (1024.0 * 1024.0));
    return text;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace bench

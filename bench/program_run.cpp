#include "bench/program_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/fixtures/spawn_program.h"

extern char** environ;

namespace bench {

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// This process's environment with `extra` laid over it.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        bool replaced = false;
        for (const std::string& over : extra)
            replaced = replaced || nameOf(over) == nameOf(text);
        if (!replaced) env.push_back(text);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

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
    text += "profile" + std::to_string(kProjects) + "=default\r\n";
    keys(text);
    for (int project = 0; project < kProjects; ++project) {
        text += "\r\n[project" + std::to_string(project) + "]\r\n";
        keys(text);
    }
    text += "\r\n[default]\r\n";
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
    const std::vector<std::string> env = Environment(extraEnv);
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
    run.output = ReadAll(outputPath);
    return run;
}

QuarnProgramDir::QuarnProgramDir() {
    if (!m_programDir.Ok() || !m_runtimeDir.Ok()) {
        m_error = m_programDir.Error() + m_runtimeDir.Error();
        return;
    }
    const std::string program = m_programDir.File("quarn");
    std::error_code ec;
    // A link keeps /proc/self/exe in this directory, which quarn takes as its program directory.
    if (::link(QUARN_BINARY, program.c_str()) != 0) fs::copy_file(QUARN_BINARY, program, ec);
    if (ec) m_error = "cannot install " QUARN_BINARY ": " + ec.message();
    fs::create_directories(HtmlDir(), ec);
    if (ec) m_error = "cannot make " + HtmlDir() + ": " + ec.message();
    std::string error;
    if (!fixtures::WriteTextFile(m_programDir.File("Quarn.ini"), UsersSettings(), &error))
        m_error = error;
}

bool QuarnProgramDir::WriteScript(const std::string& name, const std::string& script) const {
    return fixtures::WriteTextFile(ProjectDir() + "/" + name, script, nullptr);
}

ProgramRun QuarnProgramDir::Run(const std::string& name) const {
    return RunProgram({m_programDir.File("quarn"), name}, ProjectDir(),
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

}  // namespace bench

#include "tolvane/encode_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <new>
#include <thread>

#include "platform/file_descriptor.h"
#include "shared/read_only_file.h"
#include "shared/sce_codec.h"
#include "tolvane/ed_settings.h"

namespace {

// Whether `outputPath` names the file `input` is (through another spelling or a link).
bool SameFile(const struct stat& input, const std::string& outputPath) {
    struct stat output {};
    return ::stat(outputPath.c_str(), &output) == 0 && output.st_dev == input.st_dev &&
           output.st_ino == input.st_ino;
}

}  // namespace

CEncodePaths ReadEncodePaths(const platform::ProfileFile& file) {
    CEncodePaths paths;
    paths.input = file.GetString(kTolvaneSection, "lastencscpin", paths.input);
    paths.output = file.GetString(kTolvaneSection, "lastencscpout", paths.output);
    return paths;
}

bool WriteEncodePaths(platform::ProfileFile& file, const CEncodePaths& paths, std::string* error) {
    return file.WriteString(kTolvaneSection, "lastencscpin", paths.input, error) &&
           file.WriteString(kTolvaneSection, "lastencscpout", paths.output, error);
}

int CEncodeCommand::Encode(const std::string& inputPath, const std::string& outputPath) {
    CReadOnlyFile input(inputPath);
    struct stat info {};
    if (!input.IsRegularFile(info)) {
        m_strMessage = "Error opening input script file";
        return 0;
    }
    if (info.st_size == 0) {
        m_strMessage = "Script file is empty- encoding cancelled";
        return 0;
    }
    if (SameFile(info, outputPath)) {
        m_strMessage = "Input and output are the same file- encoding cancelled";
        return 0;
    }
    std::string script;
    std::string file;
    try {
        script.resize(static_cast<std::size_t>(info.st_size));
        file.reserve(2 * script.size() + 8 + kScePreambleSize);
    } catch (const std::bad_alloc&) {
        m_strMessage = "Error allocating memory";
        return 0;
    } catch (const std::length_error&) {
        m_strMessage = "Error allocating memory";
        return 0;
    }
    if (input.Read(script.data(), script.size()) != static_cast<ssize_t>(script.size())) {
        m_strMessage = "Error reading input script file";
        return 0;
    }

    switch (EncodeScript(script, file)) {
        case SceEncodeResult::kOk:
            break;
        case SceEncodeResult::kEmptyScript:
            m_strMessage = "Script file is empty- encoding cancelled";
            return 0;
        case SceEncodeResult::kOutOfMemory:
            m_strMessage = "Error allocating memory";
            return 0;
        case SceEncodeResult::kVerifyFailed:
            m_strMessage = "Error verifying encoded script- encoding cancelled";
            return 0;
    }

    const int fd = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_strMessage = "Error opening output script file";
        return 0;
    }
    const bool written = platform::WriteAll(fd, file);
    if (::close(fd) != 0 || !written) {
        ::unlink(outputPath.c_str());
        m_strMessage = "Error writing output script file";
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    m_strMessage = "Script encoded OK";
    return 1;
}

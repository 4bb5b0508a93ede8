#include "platform/gui/Processes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace muralto::platform {

namespace fs = std::filesystem;

namespace {

std::string firstLine(const std::string& text) {
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return {};
    const auto end = text.find_first_of("\r\n", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool allDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// The NUL-separated arguments of a /proc/<pid>/cmdline file.
std::vector<std::string> splitCommandLine(const std::string& bytes) {
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

}  // namespace

ProcessResult QProcessRunner::run(const std::string& program,
                                  const std::vector<std::string>& arguments) {
    QStringList list;
    for (const auto& argument : arguments)
        list << QFile::decodeName(argument.c_str());
    QProcess process;
    process.start(QFile::decodeName(program.c_str()), list);
    ProcessResult result;
    if (!process.waitForStarted(timeoutMs_)) {
        result.failure = "could not be started (" + process.errorString().toStdString() + ")";
        return result;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs_)) {
        process.kill();
        process.waitForFinished(1000);
        result.failure = "did not end within " + std::to_string(timeoutMs_) + " ms and was killed";
        return result;
    }
    result.output = process.readAllStandardOutput().toStdString();
    result.errorOutput = process.readAllStandardError().toStdString();
    if (process.exitStatus() != QProcess::NormalExit) {
        result.failure = "crashed";
        return result;
    }
    result.ran = true;
    result.exitCode = process.exitCode();
    return result;
}

Result<std::string> runTool(ProcessRunner& runner, const std::string& program,
                            const std::vector<std::string>& arguments) {
    ProcessResult result = runner.run(program, arguments);
    if (!result.ran)
        return Failure{program + " " + result.failure};
    if (result.exitCode != 0) {
        std::string text = program + " failed with exit code " + std::to_string(result.exitCode);
        const std::string reason = firstLine(result.errorOutput);
        if (!reason.empty())
            text += ": " + reason;
        return Failure{std::move(text)};
    }
    return std::move(result.output);
}

std::vector<std::vector<std::string>> ProcProcessList::commandLines() {
    std::vector<std::vector<std::string>> lines;
    const uid_t user = getuid();
    std::error_code ec;
    for (fs::directory_iterator it(proc_, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat status {};
        if (!allDigits(it->path().filename().string()) ||
            ::stat(it->path().c_str(), &status) != 0 || status.st_uid != user) {
            continue;
        }
        if (!onThisDisplay(it->path()))
            continue;
        std::ifstream file(it->path() / "cmdline", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        if (auto arguments = splitCommandLine(bytes); !arguments.empty())
            lines.push_back(std::move(arguments));
    }
    return lines;
}

bool ProcProcessList::onThisDisplay(const std::filesystem::path& process) const {
    if (display_.empty())
        return true;
    std::ifstream file(process / "environ", std::ios::binary);
    const std::string wanted = "DISPLAY=" + display_;
    for (std::string entry; std::getline(file, entry, '\0');) {
        if (entry == wanted)
            return true;
    }
    return false;
}

}  // namespace muralto::platform

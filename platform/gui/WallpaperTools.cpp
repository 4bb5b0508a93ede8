#include "WallpaperTools.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>

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

std::string toBytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), bytes.size());
}

/// A copy of the bitmap with its number, as found in the bitmap's folder.
struct NumberedCopy {
    std::uint64_t number;
    fs::path path;
};

/// The number in name when name is "<stem>~<digits><extension>".
std::optional<std::uint64_t> copyNumber(const std::string& name, const std::string& stem,
                                        const std::string& extension) {
    const std::string prefix = stem + "~";
    if (name.size() <= prefix.size() + extension.size())
        return std::nullopt;
    if (name.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    if (name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
        return std::nullopt;
    }
    const std::string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    if (digits.size() > 18)
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoull(digits);
}

std::vector<NumberedCopy> findCopies(const fs::path& bitmap) {
    const std::string stem = bitmap.stem().string();
    const std::string extension = bitmap.extension().string();
    const fs::path folder = bitmap.has_parent_path() ? bitmap.parent_path() : fs::path(".");
    std::vector<NumberedCopy> copies;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto number = copyNumber(it->path().filename().string(), stem, extension);
        if (number)
            copies.push_back({*number, it->path()});
    }
    std::sort(copies.begin(), copies.end(),
              [](const NumberedCopy& a, const NumberedCopy& b) { return a.number > b.number; });
    return copies;
}

fs::path copyName(const fs::path& bitmap, std::uint64_t number) {
    return bitmap.parent_path() /
           (bitmap.stem().string() + "~" + std::to_string(number) + bitmap.extension().string());
}

}  // namespace

void reportError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

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
        result.failure = "did not end within " + std::to_string(timeoutMs_ / 1000) + " s";
        return result;
    }
    result.output = toBytes(process.readAllStandardOutput());
    result.errorOutput = toBytes(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit) {
        result.failure = "crashed";
        return result;
    }
    result.ran = true;
    result.exitCode = process.exitCode();
    return result;
}

bool runTool(ProcessRunner& runner, const std::string& program,
             const std::vector<std::string>& arguments, std::string* error, std::string* output) {
    const ProcessResult result = runner.run(program, arguments);
    if (output)
        *output = result.output;
    if (!result.ran) {
        reportError(error, program + " " + result.failure);
        return false;
    }
    if (result.exitCode != 0) {
        std::string text = program + " failed with exit code " + std::to_string(result.exitCode);
        const std::string reason = firstLine(result.errorOutput);
        if (!reason.empty())
            text += ": " + reason;
        reportError(error, std::move(text));
        return false;
    }
    return true;
}

std::optional<std::string> makeFreshCopy(const std::string& bitmapPath, std::string* error) {
    const fs::path bitmap(bitmapPath);
    auto copies = findCopies(bitmap);
    const std::uint64_t next = copies.empty() ? 1 : copies.front().number + 1;
    const fs::path copy = copyName(bitmap, next);
    std::error_code ec;
    fs::copy_file(bitmap, copy, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        reportError(error,
                    "cannot copy " + bitmapPath + " to " + copy.string() + ": " + ec.message());
        fs::remove(copy, ec);
        return std::nullopt;
    }
    // The new copy is the newest; the one before it may still be on screen. Older ones go.
    for (std::size_t i = 1; i < copies.size(); ++i)
        fs::remove(copies[i].path, ec);
    return copy.string();
}

std::string fileUri(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0x0F];
        }
    }
    return uri;
}

std::string quotedString(const std::string& text, char quote) {
    std::string quoted(1, quote);
    for (const char c : text) {
        if (c == '\\' || c == quote)
            quoted += '\\';
        quoted += c;
    }
    return quoted + quote;
}

}  // namespace muralto::platform

#include "platform/gui/WallpaperTools.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>

#include "platform/FileIo.h"

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

/// Appends the code point as UTF-8.
void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

/// The code point of count hex digits at text[at]; nothing when they are not all hex.
std::optional<std::uint32_t> hexCode(const std::string& text, std::size_t at, std::size_t count) {
    if (at + count > text.size())
        return std::nullopt;
    std::uint32_t code = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return std::nullopt;
        code = code * 16 + static_cast<std::uint32_t>(digit);
    }
    return code;
}

char simpleEscape(char c) {
    switch (c) {
        case 'n':
            return '\n';
        case 't':
            return '\t';
        case 'r':
            return '\r';
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'v':
            return '\v';
        case 'a':
            return '\a';
        default:
            return c;
    }
}

std::string trimmed(const std::string& text) {
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return {};
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

/// The key of an INI line "key=value"; empty for any other line.
std::string iniKey(const std::string& line) {
    const auto equals = line.find('=');
    return equals == std::string::npos ? std::string() : trimmed(line.substr(0, equals));
}

bool isIniGroup(const std::string& line) {
    const std::string text = trimmed(line);
    return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += line + "\n";
    return out;
}

}  // namespace

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

std::optional<std::string> parseGVariantString(const std::string& text) {
    const std::string literal = trimmed(text);
    if (literal.size() < 2 || (literal.front() != '\'' && literal.front() != '"') ||
        literal.back() != literal.front()) {
        return std::nullopt;
    }
    const char quote = literal.front();
    std::string value;
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        const char c = literal[i];
        if (c == quote)
            return std::nullopt;  // the literal ended before its last character
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i + 1 >= literal.size())
            return std::nullopt;  // a backslash that escapes the closing quote
        const char escaped = literal[i];
        if (escaped == 'u' || escaped == 'U') {
            const std::size_t digits = escaped == 'u' ? 4 : 8;
            const auto code = hexCode(literal, i + 1, digits);
            if (!code || i + digits + 1 >= literal.size() || *code > 0x10FFFF)
                return std::nullopt;
            appendUtf8(value, *code);
            i += digits;
        } else {
            value += simpleEscape(escaped);
        }
    }
    return value;
}

std::string withIniValue(const std::string& text, const std::string& group, const std::string& key,
                         const std::string& value) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    const std::string entry = key + "=" + value;
    const std::string header = "[" + group + "]";
    bool inGroup = false;
    std::optional<std::size_t> groupEnd;  // after the group's last line that is not blank
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isIniGroup(lines[i])) {
            inGroup = trimmed(lines[i]) == header;
            if (inGroup)
                groupEnd = i + 1;
        } else if (inGroup && iniKey(lines[i]) == key) {
            lines[i] = entry;
            return joinLines(lines);
        } else if (inGroup && !trimmed(lines[i]).empty()) {
            groupEnd = i + 1;
        }
    }
    if (groupEnd) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*groupEnd), entry);
        return joinLines(lines);
    }
    if (!lines.empty() && !trimmed(lines.back()).empty())
        lines.push_back("");
    lines.push_back(header);
    lines.push_back(entry);
    return joinLines(lines);
}

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
        result.failure = "did not end within " + std::to_string(timeoutMs_) + " ms and was killed";
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

QImage readImage(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    if (!file && !file.eof())
        return {};
    return QImage::fromData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

bool writeBmp(const QImage& image, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "BMP") &&
           replaceFile(path, std::string_view(bytes.constData(), bytes.size()), 0644) == 0;
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

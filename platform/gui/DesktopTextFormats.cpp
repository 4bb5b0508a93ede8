#include "platform/gui/DesktopTextFormats.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <sstream>
#include <vector>

namespace muralto::platform {

namespace {

/// The code point of count hex digits at text[at]; nothing when they are not all hex.
std::optional<char32_t> hexCode(const std::string& text, std::size_t at, std::size_t count) {
    if (at + count > text.size())
        return std::nullopt;
    char32_t code = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return std::nullopt;
        code = code * 16 + static_cast<char32_t>(digit);
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

std::string fileUri(const std::string& path) {
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return "file://" + bytes.toPercentEncoding("/").toStdString();
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
            value += QString::fromUcs4(&*code, 1).toStdString();
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

}  // namespace muralto::platform

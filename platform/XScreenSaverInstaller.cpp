#include "platform/XScreenSaverInstaller.h"

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/FileIo.h"
#include "platform/ProgramIdentity.h"

namespace muralto::platform {
namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string trimmed(std::string_view s) {
    const auto begin = s.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    return std::string(s.substr(begin, s.find_last_not_of(" \t") - begin + 1));
}

/// The resource name of a line ("programs" for "*programs:  ..."), or empty.
std::string resourceName(const std::string& line) {
    std::string s = trimmed(line);
    if (!s.empty() && s.front() == '*')
        s.erase(0, 1);
    const auto colon = s.find(':');
    return colon == std::string::npos ? std::string() : s.substr(0, colon);
}

/// The first word of a shell command with its quotes taken away, as the shell reads '...' and
/// "..." (escapes are never written into an entry, so they end the word).
std::string firstWord(std::string_view command) {
    std::string word;
    char quote = 0;
    for (const char c : command) {
        if (quote != 0 && c != quote) {
            word += c;
        } else if (quote != 0) {
            quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ' ' || c == '\t' || c == '\\') {
            break;
        } else {
            word += c;
        }
    }
    return word;
}

/// Whether a line of the programs list runs this program: its command's first word names a
/// file called like the program's.
bool runsProgram(std::string entry, const std::string& programName) {
    entry = trimmed(entry);
    if (!entry.empty() && entry.front() == '-')
        entry = trimmed(entry.substr(1));
    if (const auto colon = entry.find(':');
        colon != std::string::npos && entry.find_first_of(" \t\"'") > colon) {
        entry = trimmed(entry.substr(colon + 1));  // a visual such as "GL:"
    }
    if (!entry.empty() && entry.front() == '"')
        entry = trimmed(entry.substr(entry.find('"', 1) + 1));  // the name the list shows
    return std::filesystem::path(firstWord(entry)).filename() == programName;
}

/// Whether the daemon runs a path as it is: the shell reads none of its characters, and none
/// is a colon, which would end a visual's name.
bool plainPath(std::string_view path) {
    return std::all_of(path.begin(), path.end(), [](unsigned char c) {
        return std::isalnum(c) ||
               std::string_view("/._-+,=@%").find(static_cast<char>(c)) != std::string_view::npos;
    });
}

/// Replaces the value of "name:" or appends the line.
void setResource(std::vector<std::string>& lines, const std::string& name,
                 const std::string& value) {
    for (auto& line : lines) {
        if (resourceName(line) == name) {
            line = name + ":\t\t" + value;
            return;
        }
    }
    lines.push_back(name + ":\t\t" + value);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += line + '\n';
    return out;
}

std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

XScreenSaverInstaller::XScreenSaverInstaller(Paths paths, Finder finder, Launcher launcher)
    : paths_(std::move(paths)), finder_(std::move(finder)), launcher_(std::move(launcher)) {}

XScreenSaverInstaller XScreenSaverInstaller::forCurrentUser() {
    const char* home = std::getenv("HOME");
    Paths paths{std::filesystem::path(home ? home : "/") / ".xscreensaver",
                "/etc/X11/app-defaults/XScreenSaver"};
    auto finder = [](const std::string& program) {
        return QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString();
    };
    auto launcher = [](const std::string& program, const std::vector<std::string>& arguments) {
        QStringList list;
        for (const auto& a : arguments)
            list << QString::fromStdString(a);
        return QProcess::startDetached(QString::fromStdString(program), list);
    };
    return XScreenSaverInstaller(std::move(paths), finder, launcher);
}

/// Finds the entry running the program in the list that starts at header and enables it;
/// returns its index, or -1. The list's lines follow the header while they end with a
/// continuation backslash; the header's own line holds the first entry when it has text.
int enableEntry(std::vector<std::string>& lines, std::vector<std::string>::iterator header,
                const std::string& name) {
    const std::string first = trimmed(header->substr(header->find(':') + 1));
    int index = (first.empty() || first == "\\") ? 0 : 1;
    auto enable = [](std::string& line, std::size_t from) {
        const auto dash = line.find_first_not_of(" \t", from);
        if (dash != std::string::npos && line[dash] == '-')
            line[dash] = ' ';
    };
    if (index == 1 && runsProgram(first, name)) {
        enable(*header, header->find(':') + 1);
        return 0;
    }
    for (auto it = header; !it->empty() && it->back() == '\\' && it + 1 != lines.end(); ++index) {
        ++it;
        if (runsProgram(*it, name)) {
            enable(*it, 0);
            return index;
        }
    }
    return -1;
}

/// Puts entry first in the list that starts at header; what the header's line held moves to a
/// line of its own behind it.
void insertFirst(std::vector<std::string>& lines, std::vector<std::string>::iterator header,
                 const std::string& entry) {
    const std::size_t colon = header->find(':');
    const std::string rest = trimmed(header->substr(colon + 1));
    if (rest == "\\") {
        lines.insert(header + 1, entry + "\\");
        return;
    }
    *header = header->substr(0, colon + 1) + "\t\t\\";
    if (rest.empty()) {
        lines.insert(header + 1, entry);
        return;
    }
    const bool terminated = rest.ends_with("\\") || rest.ends_with("\\n");
    lines.insert(lines.insert(header + 1, entry + "\\") + 1,
                 "\t\t\t\t" + (terminated ? rest : rest + "\\n"));
}

std::optional<std::string> XScreenSaverInstaller::saverCommand(const std::string& programPath) {
    const bool writable = std::none_of(programPath.begin(), programPath.end(), [](char c) {
        return c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (programPath.empty() || !writable)
        return std::nullopt;
    if (plainPath(programPath))
        return programPath + " -root";
    std::string quoted = "'";
    for (const char c : programPath)
        quoted += c == '\'' ? std::string("'\"'\"'") : std::string(1, c);
    std::string name = std::filesystem::path(programPath).filename().string();
    std::erase(name, '"');
    return "\"" + name + "\" " + quoted + "' -root";
}

std::string XScreenSaverInstaller::withProgramSelected(const std::string& configuration,
                                                       const std::string& programPath) {
    std::vector<std::string> lines = splitLines(configuration);
    const auto command = saverCommand(programPath);
    if (!command)
        return configuration;
    const std::string name = std::filesystem::path(programPath).filename().string();
    const std::string entry = "\t\t\t\t" + *command + "\t\t\t\t    \\n";
    auto header = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& line) {
                      return resourceName(line) == "programs";
                  }).base();
    int selected = 0;
    if (header == lines.begin()) {
        lines.push_back("programs:\t\t\\");
        lines.push_back(entry);
    } else {
        --header;
        // "*programs:" is how the app defaults spell it; the daemon reads the user's file by
        // plain names only and would keep its default list, running another program.
        if (const auto star = header->find_first_not_of(" \t"); (*header)[star] == '*')
            header->erase(0, star + 1);
        selected = enableEntry(lines, header, name);
        if (selected < 0) {
            insertFirst(lines, header, entry);
            selected = 0;
        }
    }
    setResource(lines, "selected", std::to_string(selected));
    setResource(lines, "mode", "one");
    return joined(lines);
}

void XScreenSaverInstaller::install(const std::string& programPath) {
    std::error_code ec;
    const bool haveFile = std::filesystem::exists(paths_.userFile, ec);
    const std::string saver = finder_("xscreensaver");
    if (!haveFile && saver.empty())
        return;  // another screen saver, or none, runs here
    if (!saverCommand(programPath)) {
        qWarning("%s: xscreensaver cannot run a program from the folder %s",
                 std::string(kProgramTitle).c_str(),
                 std::filesystem::path(programPath).parent_path().string().c_str());
        return;
    }

    const std::string current = readText(haveFile ? paths_.userFile : paths_.appDefaults);
    // A configuration linked in from elsewhere is changed where it lives.
    if (replaceFile(paths_.userFile, withProgramSelected(current, programPath), 0644) != 0)
        return;
    for (const char* settings : {"xscreensaver-settings", "xscreensaver-demo"}) {
        if (const std::string path = finder_(settings); !path.empty()) {
            launcher_(path, {});
            return;
        }
    }
}

}  // namespace muralto::platform

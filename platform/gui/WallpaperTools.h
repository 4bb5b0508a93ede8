#pragma once

#include <QImage>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace muralto::platform {

/// What became of one run of an external program.
struct ProcessResult {
    bool ran = false;         ///< the program started and ended on its own
    int exitCode = 0;         ///< its exit code, when it ran
    std::string output;       ///< what it wrote to standard output
    std::string errorOutput;  ///< what it wrote to standard error
    std::string failure;      ///< why it did not run or did not end, when ran is false
};

/// Runs external programs with an argument list; no shell ever sees the arguments.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    /// Runs program (looked up in PATH) with arguments and waits for it to end.
    virtual ProcessResult run(const std::string& program,
                              const std::vector<std::string>& arguments) = 0;
};

/// Runs programs with QProcess, giving each at most timeoutMs to end (then it is killed, and
/// the run counts as failed). The desktops' tools answer within a second when they work.
class QProcessRunner : public ProcessRunner {
public:
    static constexpr int kDefaultTimeoutMs = 10000;
    explicit QProcessRunner(int timeoutMs = kDefaultTimeoutMs) : timeoutMs_(timeoutMs) {}
    ProcessResult run(const std::string& program,
                      const std::vector<std::string>& arguments) override;

private:
    int timeoutMs_;
};

/// The command lines (program first) of the running processes that belong to this user.
class ProcessList {
public:
    virtual ~ProcessList() = default;
    virtual std::vector<std::vector<std::string>> commandLines() = 0;
};

/// Reads the command lines from /proc; processes of other users and kernel threads are left
/// out, and so is a process that ends while it is read. With a display given, only processes
/// whose environment names that DISPLAY count: a desktop manager of the user's other session
/// draws no desktop on this one.
class ProcProcessList : public ProcessList {
public:
    explicit ProcProcessList(std::string display, std::string procFolder = "/proc")
        : display_(std::move(display)), proc_(std::move(procFolder)) {}
    std::vector<std::vector<std::string>> commandLines() override;

private:
    bool onThisDisplay(const std::filesystem::path& process) const;

    std::string display_;
    std::string proc_;
};

/// Runs a tool and checks that it succeeded (ran and exited with 0). On failure puts a reason
/// naming the tool into *error (when not null) and returns false. *output (when not null)
/// receives the tool's standard output.
bool runTool(ProcessRunner& runner, const std::string& program,
             const std::vector<std::string>& arguments, std::string* error,
             std::string* output = nullptr);

/// Copies the bitmap to a fresh name beside it, "<stem>~<n><extension>" with n one more than
/// the highest copy there, so desktops that cache by path see a new file. Keeps only the two
/// newest copies of that bitmap (the one just made and the one the desktop may still show).
/// A '~' cannot be part of a user name, so a copy never takes another user's bitmap name.
/// Returns the copy's path, or nothing with the reason in *error.
std::optional<std::string> makeFreshCopy(const std::string& bitmapPath, std::string* error);

/// The picture in the file at path (the system's bytes, which need not be UTF-8); a null image
/// when it cannot be read.
QImage readImage(const std::string& path);
/// Writes the image as a BMP file at path, at once (see replaceFile); false when it cannot.
bool writeBmp(const QImage& image, const std::string& path);

/// A "file://" URI for an absolute path; every byte outside the unreserved set and '/' is
/// percent-encoded, so any file name (also one that is not UTF-8) round-trips.
std::string fileUri(const std::string& path);

/// Text between two quote characters, with that quote and backslashes escaped by a backslash:
/// a GVariant string for gsettings with '\'', a command argument for sway with '"'.
std::string quotedString(const std::string& text, char quote);

/// The text a GVariant string literal stands for, as `gsettings get` prints one: in single or
/// double quotes, with backslash escapes (\n, \t, \uXXXX, ...). Nothing when text is not a
/// string literal, surrounding blanks aside.
std::optional<std::string> parseGVariantString(const std::string& text);

/// The text of an INI-style file with key set to value in [group]: an existing line of that
/// key in the group is replaced, else the line is added at the group's end, else the group is
/// added at the end. Every other line stays as it was.
std::string withIniValue(const std::string& text, const std::string& group, const std::string& key,
                         const std::string& value);

/// Puts text into *error when error is not null.
void reportError(std::string* error, std::string text);

}  // namespace muralto::platform

#pragma once

#include <optional>
#include <string>
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

/// Runs programs with QProcess, giving each at most timeoutMs to end (then it is killed).
class QProcessRunner : public ProcessRunner {
public:
    explicit QProcessRunner(int timeoutMs = 30000) : timeoutMs_(timeoutMs) {}
    ProcessResult run(const std::string& program,
                      const std::vector<std::string>& arguments) override;

private:
    int timeoutMs_;
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

/// A "file://" URI for an absolute path; every byte outside the unreserved set and '/' is
/// percent-encoded, so any file name (also one that is not UTF-8) round-trips.
std::string fileUri(const std::string& path);

/// Text between two quote characters, with that quote and backslashes escaped by a backslash:
/// a GVariant string for gsettings with '\'', a command argument for sway with '"'.
std::string quotedString(const std::string& text, char quote);

/// Puts text into *error when error is not null.
void reportError(std::string* error, std::string text);

}  // namespace muralto::platform

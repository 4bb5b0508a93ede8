#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageBoxes.h"

namespace muralto::bench {

/// The arguments of a driver command, after its name.
using Arguments = std::vector<std::string>;

/// Prints the command's usage on standard error; returns the exit status of misuse, 2.
int misuse(const char* usage);

/// Prints message on standard error; returns the exit status of a failure, 1.
int failure(const std::string& message);

/// A whole decimal number in [low, high]; nothing when the text is anything else.
std::optional<std::uint64_t> number(const std::string& text, std::uint64_t low, std::uint64_t high);

/// The median of values; 0 for none.
double median(std::vector<double> values);

/// The folder of a file path, ending in '/'; "./" for a bare name.
std::string folderOf(const std::string& path);

/// Message boxes of a process without a screen: the text goes to standard error, questions
/// get the negative answer.
class ErrorBoxes : public platform::MessageBoxes {
public:
    void showMessage(std::string_view title, std::string_view text) override;
    Answer askYesNo(std::string_view, std::string_view) override { return Answer::No; }
    Answer askYesNoCancel(std::string_view, std::string_view) override { return Answer::Cancel; }
    std::string inputBox(std::string_view, std::string_view) override { return {}; }
    int shown = 0;
};

/// A driver command: its name and what runs it.
struct Command {
    const char* name;
    int (*run)(const Arguments&);
};

/// Runs the command that argv[1] names with the arguments after it; prints the names of the
/// commands and returns 2 when there is none such.
int dispatch(int argc, char** argv, const std::vector<Command>& commands);

}  // namespace muralto::bench

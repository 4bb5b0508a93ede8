#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

/// A driver command: its name and what runs it.
struct Command {
    const char* name;
    int (*run)(const Arguments&);
};

/// Runs the command that argv[1] names with the arguments after it; prints the names of the
/// commands and returns 2 when there is none such.
int dispatch(int argc, char** argv, const std::vector<Command>& commands);

}  // namespace muralto::bench

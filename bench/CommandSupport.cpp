#include "bench/CommandSupport.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace muralto::bench {

int misuse(const char* usage) {
    std::fprintf(stderr, "usage: %s\n", usage);
    return 2;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "bench: %s\n", message.c_str());
    return 1;
}

std::optional<std::uint64_t> number(const std::string& text, std::uint64_t low,
                                    std::uint64_t high) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

int dispatch(int argc, char** argv, const std::vector<Command>& commands) {
    if (argc >= 2) {
        for (const Command& command : commands) {
            if (std::strcmp(argv[1], command.name) == 0)
                return command.run(Arguments(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "usage: %s COMMAND ARGUMENT...\ncommands:", argc ? argv[0] : "bench");
    for (const Command& command : commands)
        std::fprintf(stderr, " %s", command.name);
    std::fputc('\n', stderr);
    return 2;
}

void ErrorBoxes::showMessage(std::string_view title, std::string_view text) {
    ++shown;
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                 static_cast<int>(text.size()), text.data());
}

}  // namespace muralto::bench

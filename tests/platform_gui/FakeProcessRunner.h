#pragma once

#include <deque>
#include <string>
#include <vector>

#include "WallpaperTools.h"

namespace muralto::test {

/// A run that ended with exit code and the given output.
inline platform::ProcessResult exited(int code, std::string output = {}, std::string errors = {}) {
    platform::ProcessResult result;
    result.ran = true;
    result.exitCode = code;
    result.output = std::move(output);
    result.errorOutput = std::move(errors);
    return result;
}

/// A run that never got going.
inline platform::ProcessResult notRun(std::string failure) {
    platform::ProcessResult result;
    result.failure = std::move(failure);
    return result;
}

/// Records every run and answers with scripted results (success with no output once the
/// script runs out).
class FakeProcessRunner : public platform::ProcessRunner {
public:
    struct Call {
        std::string program;
        std::vector<std::string> arguments;
        bool operator==(const Call&) const = default;
    };

    platform::ProcessResult run(const std::string& program,
                                const std::vector<std::string>& arguments) override {
        calls.push_back({program, arguments});
        if (results.empty())
            return exited(0);
        auto result = results.front();
        results.pop_front();
        return result;
    }

    std::vector<Call> calls;
    std::deque<platform::ProcessResult> results;
};

}  // namespace muralto::test

#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/MessageBoxes.h"
#include "platform/SystemInfo.h"

namespace muralto::test {

/// Records every box and answers questions from a script, then No (or Cancel where offered).
class FakeMessageBoxes : public platform::MessageBoxes {
public:
    struct Shown {
        std::string title, text;
    };

    void showMessage(std::string_view title, std::string_view text) override {
        shown.push_back({std::string(title), std::string(text)});
    }
    Answer askYesNo(std::string_view title, std::string_view text) override {
        return answer(title, text, Answer::No);
    }
    Answer askYesNoCancel(std::string_view title, std::string_view text) override {
        return answer(title, text, Answer::Cancel);
    }

    /// Answers from inputs, empty (as a cancel) once they run out.
    std::string inputBox(std::string_view title, std::string_view prompt) override {
        prompted.push_back({std::string(title), std::string(prompt)});
        if (inputs.empty())
            return {};
        std::string input = inputs.front();
        inputs.pop_front();
        return input;
    }

    std::vector<Shown> shown;
    std::vector<Shown> asked;
    std::deque<Answer> answers;
    std::vector<Shown> prompted;
    std::deque<std::string> inputs;

private:
    Answer answer(std::string_view title, std::string_view text, Answer whenUnscripted) {
        asked.push_back({std::string(title), std::string(text)});
        if (answers.empty())
            return whenUnscripted;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

class FakeSystemInfo : public platform::SystemInfo {
public:
    std::optional<std::string> userName() override { return user; }
    std::string programDirectory() override { return directory; }
    std::string programFileName() override { return "muralto"; }

    std::optional<std::string> user = "jdoe";
    std::string directory = "/opt/muralto";
};

}  // namespace muralto::test

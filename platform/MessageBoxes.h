#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace muralto::platform {

/// Modal message boxes with the program's buttons. Tests answer them through a fake.
class MessageBoxes {
public:
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~MessageBoxes() = default;
    /// A box with one OK button.
    virtual void showMessage(std::string_view title, std::string_view text) = 0;
    /// A box with Yes and No buttons; closing it counts as No.
    virtual Answer askYesNo(std::string_view title, std::string_view text) = 0;
    /// A box with Yes, No and Cancel buttons; closing it counts as Cancel.
    virtual Answer askYesNoCancel(std::string_view title, std::string_view text) = 0;
    /// A box that asks for one line of text, empty at first, with OK and Cancel buttons. The
    /// answer in UTF-8; empty when the user cancels.
    virtual std::string inputBox(std::string_view title, std::string_view prompt) = 0;
};

/// Boxes for a program that may end with nobody there to answer them (an end by signal, at
/// logout): once told to stop asking, a message goes to standard error instead of a box, and a
/// question gets the answer that closing its box gives.
class UnattendedBoxes : public MessageBoxes {
public:
    explicit UnattendedBoxes(MessageBoxes& shown) : shown_(shown) {}
    void stopAsking() { asking_ = false; }

    void showMessage(std::string_view title, std::string_view text) override {
        if (asking_)
            return shown_.showMessage(title, text);
        std::fprintf(stderr, "muralto: %.*s: %.*s\n", int(title.size()), title.data(),
                     int(text.size()), text.data());
    }
    Answer askYesNo(std::string_view title, std::string_view text) override {
        return asking_ ? shown_.askYesNo(title, text) : Answer::No;
    }
    Answer askYesNoCancel(std::string_view title, std::string_view text) override {
        return asking_ ? shown_.askYesNoCancel(title, text) : Answer::Cancel;
    }
    std::string inputBox(std::string_view title, std::string_view prompt) override {
        return asking_ ? shown_.inputBox(title, prompt) : std::string();
    }

private:
    MessageBoxes& shown_;
    bool asking_ = true;
};

}  // namespace muralto::platform

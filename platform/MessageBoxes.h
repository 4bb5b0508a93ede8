#pragma once

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

}  // namespace muralto::platform

#pragma once

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
};

}  // namespace muralto::platform

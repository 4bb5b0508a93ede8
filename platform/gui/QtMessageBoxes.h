#pragma once

#include "platform/MessageBoxes.h"

namespace muralto::platform {

/// Message boxes shown with Qt's standard dialogs.
class QtMessageBoxes : public MessageBoxes {
public:
    void showMessage(std::string_view title, std::string_view text) override;
    Answer askYesNo(std::string_view title, std::string_view text) override;
    Answer askYesNoCancel(std::string_view title, std::string_view text) override;
    std::string inputBox(std::string_view title, std::string_view prompt) override;
};

}  // namespace muralto::platform

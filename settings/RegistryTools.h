#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/MessageBoxes.h"
#include "platform/Registry.h"

namespace muralto::settings {

/// The title of the box that reports a failed registry access.
inline constexpr std::string_view kRegistryErrorTitle = "Error accessing registry";
/// The read limit of a value, in bytes with the terminating NUL.
inline constexpr long kValueBufferLength = 255;

/// Takes the text before the first delimiter off source and returns it; source keeps the text
/// behind the delimiter. Without a delimiter the whole source is taken and source is emptied.
std::string TakeToken(std::string& source, std::string_view delimiter);

/// The only code that touches the registry: key paths, reads with defaults, writes that report
/// their failure in a message box, sub-key listing and key deletion.
class RegistryTools {
public:
    RegistryTools(platform::Registry& registry, platform::MessageBoxes& boxes)
        : registry_(registry), boxes_(boxes) {}

    /// While one is alive, a failed write shows its box only the first time its error occurs:
    /// saving many values into a store that refuses them all asks for one OK per cause, not
    /// one per value.
    class QuietRepeats {
    public:
        explicit QuietRepeats(RegistryTools& tools)
            : tools_(tools), outer_(std::exchange(tools.shownCodes_, &shown_)) {}
        ~QuietRepeats() { tools_.shownCodes_ = outer_; }
        QuietRepeats(const QuietRepeats&) = delete;
        QuietRepeats& operator=(const QuietRepeats&) = delete;

    private:
        RegistryTools& tools_;
        std::vector<int>* outer_;
        std::vector<int> shown_;
    };

    /// "Software\Brenwick\<application>\<section>" without a final backslash; a section that
    /// starts with a backslash is a path of its own below the hive's root.
    std::string BuildKeyPath(std::string_view application, std::string_view section) const;

    /// The stored text up to its first NUL, or the default when the key or value is missing or
    /// cannot be read (a value needing more than bufferLength bytes with its NUL included).
    std::string GetINIValue(std::string_view application, std::string_view section,
                            std::string_view valueName, std::string_view defaultValue,
                            long bufferLength = kValueBufferLength, bool currentUser = true,
                            bool showErrors = false);

    /// Writes a text value, creating the keys along the path. A failure is shown in a message
    /// box with the system's text; the caller is not told.
    void PutINIValue(std::string_view application, std::string_view section,
                     std::string_view valueName, std::string_view text, bool currentUser = true);

    /// Fills names with an empty element 0 followed by the key's sub-key names; returns 0, or
    /// the failing code of opening the key (names then holds element 0 only).
    int EnumKeys(std::string_view application, std::string_view section,
                 std::vector<std::string>& names, bool currentUser = true, bool showErrors = false);

    /// Deletes the key; 0 on success or the failing code.
    int DeleteKey(std::string_view application, std::string_view section, bool currentUser = true);

private:
    std::string errorText(int code, long bufferLength);

    platform::Registry& registry_;
    platform::MessageBoxes& boxes_;
    /// The codes already shown while a QuietRepeats is alive, else null.
    std::vector<int>* shownCodes_ = nullptr;
};

}  // namespace muralto::settings

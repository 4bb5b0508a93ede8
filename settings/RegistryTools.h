#pragma once

#include <optional>
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

/// The values of one key as read at once; each text follows RegistryTools::GetINIValue's rules.
class SectionValues {
public:
    SectionValues() = default;
    explicit SectionValues(std::vector<platform::RegistryValue> values)
        : values_(std::move(values)) {}
    /// The stored text up to its first NUL, or nothing when the value is missing or needs more
    /// than bufferLength bytes with its NUL. Value names compare without regard to case.
    std::optional<std::string> text(std::string_view valueName,
                                    long bufferLength = kValueBufferLength) const;

private:
    std::vector<platform::RegistryValue> values_;
};

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

    /// While one is alive, the writes are held back and stored together when it goes, in one
    /// rewrite of the store instead of one per value; reads see them meanwhile. A failed store
    /// is shown as a failed PutINIValue is. Batches nest: the outermost stores.
    class WriteBatch {
    public:
        explicit WriteBatch(RegistryTools& tools) : tools_(tools) { tools.registry_.beginBatch(); }
        ~WriteBatch() { tools_.reportWriteFailure(tools_.registry_.endBatch()); }
        WriteBatch(const WriteBatch&) = delete;
        WriteBatch& operator=(const WriteBatch&) = delete;

    private:
        RegistryTools& tools_;
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

    /// Every value of the key in one read of the store: what GetINIValue would read of each. A
    /// key that is missing or cannot be read has no values.
    SectionValues GetSectionValues(std::string_view application, std::string_view section,
                                   bool currentUser = true);
    /// Each sub-key of the key, named as EnumKeys names it and in its order, with its values,
    /// all in one read of the store; none when the key is missing or cannot be read.
    std::vector<std::pair<std::string, SectionValues>> GetSubSections(std::string_view application,
                                                                      std::string_view section,
                                                                      bool currentUser = true);

    /// Deletes the key; 0 on success or the failing code.
    int DeleteKey(std::string_view application, std::string_view section, bool currentUser = true);

private:
    std::string errorText(int code, long bufferLength);
    /// Shows a failed write's code in a message box (once per code while quiet); 0 shows nothing.
    void reportWriteFailure(int code);

    platform::Registry& registry_;
    platform::MessageBoxes& boxes_;
    /// The codes already shown while a QuietRepeats is alive, else null.
    std::vector<int>* shownCodes_ = nullptr;
};

}  // namespace muralto::settings

#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace muralto::i18n {

enum class Language { EnUS, EnGB };

/// The table for a locale setting: the first of LC_ALL, LC_MESSAGES and LANG that is set and
/// not empty decides; British English ("en_GB...") gets en-GB, anything else en-US.
Language chooseLanguage(const char* lcAll, const char* lcMessages, const char* lang);
/// chooseLanguage for this process's environment.
Language languageFromEnvironment();

/// The string tables compiled into the program.
class StringTable {
public:
    explicit StringTable(Language language) : language_(language) {}

    /// The text of an id, taken from the en-US table when the chosen table lacks it; empty
    /// when neither table has it.
    std::optional<std::string> LoadResString(int id) const;
    Language language() const { return language_; }

private:
    Language language_;
};

/// Replaces every occurrence of find in text, resuming the search behind each inserted
/// replacement so that inserted text is never searched again. An empty find changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

/// Expands a table text: "\\" is a backslash, "\nl" a CR LF, "\r", "\n", "\t" as usual, "\["
/// a literal bracket, and "[1]", "[2]", ... the arguments in that order. NUL characters are
/// removed.
std::string ExpandString(std::string_view text, const std::vector<std::string>& arguments);

inline std::string toArgumentText(std::string_view s) {
    return std::string(s);
}
inline std::string toArgumentText(std::integral auto n) {
    return std::to_string(n);
}

/// ExpandString with arguments of any printable kind: numbers give their decimal text.
template <typename... Args>
std::string ExpandString(std::string_view text, const Args&... arguments) {
    return ExpandString(text, std::vector<std::string>{toArgumentText(arguments)...});
}

}  // namespace muralto::i18n

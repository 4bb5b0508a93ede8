#pragma once

#include <optional>
#include <string>

namespace muralto::platform {

/// A "file://" URI for an absolute path; every byte outside the unreserved set and '/' is
/// percent-encoded, so any file name (also one that is not UTF-8) round-trips.
std::string fileUri(const std::string& path);

/// Text between two quote characters, with that quote and backslashes escaped by a backslash:
/// a GVariant string for gsettings with '\'', a command argument for sway with '"'.
std::string quotedString(const std::string& text, char quote);

/// The text a GVariant string literal stands for, as `gsettings get` prints one: in single or
/// double quotes, with backslash escapes (\n, \t, \uXXXX, ...). Nothing when text is not a
/// string literal, surrounding blanks aside.
std::optional<std::string> parseGVariantString(const std::string& text);

/// The text of an INI-style file with key set to value in [group]: an existing line of that
/// key in the group is replaced, else the line is added at the group's end, else the group is
/// added at the end. Every other line stays as it was.
std::string withIniValue(const std::string& text, const std::string& group, const std::string& key,
                         const std::string& value);

}  // namespace muralto::platform

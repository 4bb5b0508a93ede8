#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace muralto::settings {

/// The leading number of a stored text. Blanks, tabs and line feeds are ignored wherever they
/// stand; then an optional sign, digits, an optional fraction and an optional exponent, or
/// "&H"/"&O" with hexadecimal or octal digits (up to 32 bits, read as a signed 32-bit pattern).
/// Reading stops at the first character that does not fit; text without a number gives 0.
/// complete is set to whether the number took all of the text that is not blank.
double leadingNumber(std::string_view text, bool* complete = nullptr);

/// Reads a stored number: leadingNumber rounded to 32 bits, halves to the even neighbour.
/// A number outside the 32-bit range cannot be read: the result is empty, and callers then
/// use their default, as for any other value that cannot be read.
std::optional<std::int32_t> readNumber(std::string_view text);

/// Reads a stored Boolean: "True" or "False" in any letter case, or a number, where 0 is false
/// and any other number true. Any other text cannot be read (empty result).
std::optional<bool> readBoolean(std::string_view text);

/// How numbers and Booleans are stored: decimal text, and "-1" or "0".
std::string numberText(std::int64_t value);
std::string booleanText(bool value);
/// A Boolean as a default text for a read: "True" or "False".
std::string booleanWord(bool value);

}  // namespace muralto::settings

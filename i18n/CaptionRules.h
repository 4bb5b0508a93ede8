#pragma once

#include <optional>
#include <string_view>

namespace muralto::i18n {

/// The string id of a marked text: the text holds "#", and the id is the leading number of what
/// follows the first "#", read as stored numbers are read (so "#5" and "Save#5" give 5, "#x"
/// gives 0). Empty when the text holds no "#" or the number is out of range.
std::optional<int> markerId(std::string_view text);

/// Whether a menu item's name makes it a separator: behind the first "Sep" in the name stands
/// exactly a whole number in its shortest form (digits only, no leading zero but for "0"
/// itself). "mnuPopupSep1" is one; "mnuSep01", "mnuSepX2" and "mnuSep" are not.
bool isSeparatorName(std::string_view name);

/// A command button's width in twips for its caption's measured width: 120 twips of margin,
/// never less than 1145.
double commandButtonWidth(double captionTwips);

/// A check box's or radio button's width in twips for its caption's measured width: the caption
/// and 300 twips for the box.
double checkBoxWidth(double captionTwips);

}  // namespace muralto::i18n

#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "newsgroups/clsNewsgroup.h"

namespace muralto::options {

/// A whole number typed into a newsgroup field: the leading number of the text by the program's
/// number rule, rounded to the nearest whole number with halves to the even neighbour ("12.5"
/// gives 12, "13.5" 14), text without a number 0. A number beyond the 32-bit range gives the
/// nearest end of that range: the field holds 32 bits.
std::int32_t roundedNumber(std::string_view text);

/// How wide a group name makes the list, in pixels: its width in twips and the screen's twips
/// per pixel, each rounded to a whole number (halves to even), divided with the fraction
/// dropped. Twips per pixel below one half count as one.
std::int32_t groupNameWidth(double nameTwips, double twipsPerPixel);

/// Whether a typed name can become a group. A name is stored as one key below the groups'
/// section, so a backslash would nest it (and the entry would not come back at the next start),
/// and the store takes no control characters.
enum class GroupNameCheck { Accepted, Empty, Backslash, ControlCharacter };
GroupNameCheck checkGroupName(std::string_view name);
/// The sentence that tells the user why a name was refused; empty for an accepted or empty name.
std::string_view refusal(GroupNameCheck check);

/// The three field boxes of a group as text; every text in the system's bytes.
struct GroupFields {
    std::string minSize;
    std::string fileTypes;
    std::string maxFiles;
};

/// What the page shows for an entry: its fields in decimal and its filters in order.
struct ShownGroup {
    GroupFields fields;
    std::vector<std::string> filters;
};
ShownGroup showGroup(newsgroups::clsNewsgroup& group);

/// Writes edited boxes into an entry: both numbers by roundedNumber, the file types as typed.
void storeGroupFields(const GroupFields& fields, newsgroups::clsNewsgroup& group);

/// The edit state of the newsgroups page.
class GroupEdits {
public:
    /// A name of this width in pixels was added to the list; whether it widened the list (the
    /// list's extent only grows).
    bool widen(std::int32_t pixels);

    /// Whether the boxes hold edits of an entry that is on show, to be stored.
    bool pendingEdit() const { return mbGroupChanged && mlGroupIndex >= 0; }

    /// The list item at row was removed. When it was the entry on show, nothing is on show any
    /// more (its boxes are to be emptied: they belong to no entry) and the result is true; an
    /// entry on show below it moves up with its item.
    bool rowRemoved(std::int32_t row);

    /// List position of the entry whose fields are on show; -1 for none.
    std::int32_t mlGroupIndex = -1;
    /// The boxes were edited since the entry was shown.
    bool mbGroupChanged = false;
    /// The widest name added to the list so far, in pixels.
    std::int32_t mlMaxGroupWidth = 0;
};

}  // namespace muralto::options

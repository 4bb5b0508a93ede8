#include <gtest/gtest.h>

#include <limits>

#include "options/GroupEdits.h"

namespace muralto::options {
namespace {

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();

TEST(GroupEdits, NumbersRoundHalvesToEvenWithin32Bits) {
    const std::pair<const char*, std::int32_t> rows[] = {
        {"12.5", 12}, {"13.5", 14}, {"abc", 0}, {"1e12", kMax}};
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(roundedNumber(text), expected) << text;
}

TEST(GroupEdits, RefusesNamesTheStoreCannotKeepAsOneKey) {
    const std::pair<std::string_view, GroupNameCheck> rows[] = {
        {"", GroupNameCheck::Empty},
        {"alt\\pictures", GroupNameCheck::Backslash},
        {"\x1f", GroupNameCheck::ControlCharacter},
        {"a\x7f", GroupNameCheck::ControlCharacter}};
    for (const auto& [name, expected] : rows) {
        EXPECT_EQ(checkGroupName(name), expected) << name;
        // Only a refusal has a sentence for the user.
        EXPECT_EQ(refusal(expected).empty(),
                  expected == GroupNameCheck::Accepted || expected == GroupNameCheck::Empty);
    }
}

TEST(GroupEdits, TheEntryOnShowFollowsItsItemWhenARowIsRemoved) {
    const struct {
        std::int32_t shown, removed;
        bool wasShown;
        std::int32_t shownAfter;
    } rows[] = {{2, 2, true, -1}, {2, 1, false, 1}, {2, 3, false, 2}, {-1, 0, false, -1}};
    for (const auto& row : rows) {
        GroupEdits edits;
        edits.mlGroupIndex = row.shown;
        EXPECT_EQ(edits.rowRemoved(row.removed), row.wasShown) << row.shown << row.removed;
        EXPECT_EQ(edits.mlGroupIndex, row.shownAfter) << row.shown << row.removed;
    }
}

}  // namespace
}  // namespace muralto::options

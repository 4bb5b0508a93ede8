#include "options/GroupEdits.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "settings/Conversions.h"

namespace muralto::options {
namespace {

constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
constexpr auto kMax = std::numeric_limits<std::int32_t>::max();

/// A number rounded halves to even and held in 32 bits: NaN is 0, the rest the nearest value.
std::int32_t clampedRound(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded <= kMin)
        return kMin;
    if (rounded >= kMax)
        return kMax;
    return static_cast<std::int32_t>(rounded);
}

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::int32_t roundedNumber(std::string_view text) {
    return clampedRound(settings::leadingNumber(text));
}

std::int32_t groupNameWidth(double nameTwips, double twipsPerPixel) {
    const std::int64_t width = clampedRound(nameTwips);
    const std::int64_t perPixel = std::max<std::int64_t>(clampedRound(twipsPerPixel), 1);
    return static_cast<std::int32_t>(width / perPixel);
}

GroupNameCheck checkGroupName(std::string_view name) {
    if (name.empty())
        return GroupNameCheck::Empty;
    if (name.find('\\') != std::string_view::npos)
        return GroupNameCheck::Backslash;
    if (std::any_of(name.begin(), name.end(), isControl))
        return GroupNameCheck::ControlCharacter;
    return GroupNameCheck::Accepted;
}

std::string_view refusal(GroupNameCheck check) {
    switch (check) {
        case GroupNameCheck::Backslash:
            return "A group name cannot contain a backslash (\\).";
        case GroupNameCheck::ControlCharacter:
            return "A group name cannot contain control characters such as tabs.";
        default:
            return {};
    }
}

ShownGroup showGroup(newsgroups::clsNewsgroup& group) {
    ShownGroup shown;
    shown.fields.minSize = settings::numberText(group.MinFileSize());
    shown.fields.fileTypes = group.FileTypes();
    shown.fields.maxFiles = settings::numberText(group.MaxFiles());
    const std::int32_t count = group.FilterCount();
    for (std::int32_t i = 1; i <= count; ++i)
        shown.filters.push_back(group.Filter(i));
    return shown;
}

void storeGroupFields(const GroupFields& fields, newsgroups::clsNewsgroup& group) {
    group.MaxFiles(roundedNumber(fields.maxFiles));
    group.FileTypes(fields.fileTypes);
    group.MinFileSize(roundedNumber(fields.minSize));
}

bool GroupEdits::widen(std::int32_t pixels) {
    if (pixels <= mlMaxGroupWidth)
        return false;
    mlMaxGroupWidth = pixels;
    return true;
}

bool GroupEdits::rowRemoved(std::int32_t row) {
    if (row < 0 || mlGroupIndex < 0)
        return false;
    if (row < mlGroupIndex) {
        --mlGroupIndex;
        return false;
    }
    if (row > mlGroupIndex)
        return false;
    mlGroupIndex = -1;
    return true;
}

}  // namespace muralto::options

#include "i18n/CaptionRules.h"

#include <algorithm>

#include "settings/Conversions.h"

namespace muralto::i18n {

std::optional<int> markerId(std::string_view text) {
    const auto hash = text.find('#');
    if (hash == std::string_view::npos)
        return std::nullopt;
    return settings::readNumber(text.substr(hash + 1));
}

bool isSeparatorName(std::string_view name) {
    const auto sep = name.find("Sep");
    if (sep == std::string_view::npos)
        return false;
    const auto number = name.substr(sep + 3);
    // Compared as text: a number of any length qualifies, and none is converted.
    if (number.empty() || (number.size() > 1 && number.front() == '0'))
        return false;
    return std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

double commandButtonWidth(double captionTwips) {
    return std::max(captionTwips + 120.0, 1145.0);
}

double checkBoxWidth(double captionTwips) {
    return captionTwips + 300.0;
}

}  // namespace muralto::i18n

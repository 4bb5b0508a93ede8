#include "options/FormGeometry.h"

#include <cmath>

namespace muralto::options {
namespace {

constexpr std::int32_t kStripMargin = 150;
constexpr std::int32_t kPageInset = 8;

std::int32_t halfOfRounded(double difference) {
    // The division truncates toward zero, as integer division of the rounded difference does.
    return static_cast<std::int32_t>(static_cast<std::int64_t>(std::nearbyint(difference)) / 2);
}

}  // namespace

TwipRect fitTabStrip(std::int32_t clientWidth, std::int32_t clientHeight) {
    return {kStripMargin, kStripMargin, nonNegative(std::int64_t{clientWidth} - 2 * kStripMargin),
            nonNegative(std::int64_t{clientHeight} - 2 * kStripMargin)};
}

TwipRect insetPage(const TwipRect& client) {
    return {client.left + kPageInset, client.top + kPageInset,
            nonNegative(std::int64_t{client.width} - 2 * kPageInset),
            nonNegative(std::int64_t{client.height} - 2 * kPageInset)};
}

TwipPoint centreInUpperScreen(double screenWidth, double screenHeight, double windowWidth,
                              double windowHeight) {
    return {halfOfRounded(screenWidth - windowWidth),
            halfOfRounded(screenHeight * 0.8 - windowHeight)};
}

QString captionWithVersion(const QString& caption, const VersionNumbers& version) {
    QString text =
        caption + ' ' + QString::number(version.major) + '.' + QString::number(version.minor);
    // A revision letter needs a character of its own; ranks that reach the surrogates have none.
    if (version.revision > 0 && version.revision + 96 < 0xD800)
        text += QChar(static_cast<char16_t>(version.revision + 96));
    return text;
}

}  // namespace muralto::options

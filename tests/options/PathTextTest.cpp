#include <gtest/gtest.h>

#include "options/PathText.h"

namespace muralto::options {
namespace {

TEST(PathText, ShowsValidTextAndRoundTripsEveryByte) {
    const auto lone = [](std::initializer_list<char16_t> units) {
        QString text;
        for (const char16_t unit : units)
            text += QChar(unit);
        return text;
    };
    const struct {
        std::string bytes;
        QString text;  ///< what the box shows
    } rows[] = {{"/caf\xc3\xa9", "/caf" + lone({0xE9})},
                {"/caf\xe9/x", "/caf" + lone({0xDCE9}) + "/x"},
                {"/\xed\xa0\x80", "/" + lone({0xDCED, 0xDCA0, 0xDC80})}};
    for (const auto& row : rows) {
        EXPECT_EQ(pathToText(row.bytes), row.text) << row.bytes;
        EXPECT_EQ(textToPath(pathToText(row.bytes)), row.bytes) << row.bytes;
    }
}

}  // namespace
}  // namespace muralto::options

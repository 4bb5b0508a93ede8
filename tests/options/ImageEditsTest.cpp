// The image page without widgets: numbers typed into it and what it shows for a record. (The
// edit state between the tabs is held by the window's tests.)
#include <gtest/gtest.h>

#include <limits>

#include "options/ImageEdits.h"

namespace muralto::options {
namespace {

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();

TEST(ReadImagePage, DelayRoundsDownScaleStaysAtOneOrMoreAndThePathEndsInASeparator) {
    const struct {
        const char* text;
        std::int32_t delay, scale;
    } rows[] = {{"2.7", 2, 2}, {"-1.5", -2, 1}, {"1e10", kMax, kMax}};
    for (const auto& row : rows) {
        ImagePageValues values;
        values.delayText = values.scaleText = row.text;
        const settings::ImageSettings read = readImagePage(values);
        EXPECT_EQ(read.Delay, row.delay) << row.text;
        EXPECT_EQ(read.ScaleFactor, row.scale) << row.text;
    }
    // The final separator is added once, and the bytes are kept.
    ImagePageValues values;
    values.pathText = "/pics/\xff\xfe";
    values.reScan = values.startupOnly = true;
    settings::ImageSettings read = readImagePage(values);
    EXPECT_EQ(read.Path, "/pics/\xff\xfe/");
    EXPECT_TRUE(read.Valid && read.ReScan && read.StartupOnly && !read.AddPath);
    values.pathText = "/pics/";
    EXPECT_EQ(readImagePage(values).Path, "/pics/");
    values.pathText = "";  // the program's folder, not the root
    EXPECT_EQ(readImagePage(values).Path, "");
}

TEST(FillImagePage, ShowsTheDirectoryAndTellsWhenTheRecordWasCorrected) {
    const struct {
        const char *storedPath, *directoryShown;
        std::int32_t storedScale;
        const char *pathText, *scaleText;
        bool corrected;
    } rows[] = {{"/pics/", "/pics", 2, "/pics/", "2", false},
                {"/gone/", "/opt/muralto", 1, "/opt/muralto/", "1", true},
                {"/pics", "/pics", 1, "/pics/", "1", true},
                {"/pics/", "/pics", 0, "/pics/", "1", true}};
    for (const auto& row : rows) {
        settings::ImageSettings stored;
        stored.Path = row.storedPath;
        stored.ScaleFactor = row.storedScale;
        stored.Delay = -5;
        stored.AddPath = true;
        const FilledPage page = fillImagePage(stored, row.directoryShown);
        EXPECT_EQ(page.values.pathText, row.pathText);
        EXPECT_EQ(page.values.scaleText, row.scaleText);
        EXPECT_EQ(page.values.delayText, "-5");
        EXPECT_TRUE(page.values.addPath && !page.values.reScan);
        EXPECT_EQ(page.corrected, row.corrected) << row.storedPath << row.storedScale;
    }
}

}  // namespace
}  // namespace muralto::options

#include "CompositionGeometry.h"

#include <gtest/gtest.h>

#include "PictureFiles.h"

namespace muralto::imaging {
namespace {

TEST(TargetSize, DividesTheScreenIntoTilesLessTheirMargin) {
    struct Case {
        int width, height, scaleFactor;
        TargetSize expected;
    };
    for (const Case& c : {Case{1024, 768, 1, {1024, 768}}, Case{1024, 768, 2, {508, 380}},
                          Case{1024, 768, 3, {337, 252}}, Case{1025, 769, 2, {508, 380}},
                          Case{1024, 768, 0, {1024, 768}}, Case{1024, 768, -3, {1024, 768}}}) {
        EXPECT_EQ(targetSize(c.width, c.height, c.scaleFactor), c.expected)
            << c.width << "x" << c.height << " / " << c.scaleFactor;
    }
}

TEST(HeightWithCaptionRoom, KeepsOneAndAHalfCharacterHeights) {
    EXPECT_EQ(heightWithCaptionRoom(768, 13), 748);  // 748.5 goes to the even neighbour
    EXPECT_EQ(heightWithCaptionRoom(380, 13), 360);  // 360.5
    EXPECT_EQ(heightWithCaptionRoom(769, 13), 750);  // 749.5
    EXPECT_EQ(heightWithCaptionRoom(768, 14), 747);
}

TEST(FittedSize, ShrinksByTheLargerRatioAndNeverEnlarges) {
    struct Case {
        QSize picture;
        TargetSize target;
        QSize expected;
    };
    const TargetSize screen{1024, 768};
    for (const Case& c : {
             Case{{800, 600}, screen, {800, 600}},     // fits: own size
             Case{{1024, 768}, screen, {1024, 768}},   // exactly the target fits
             Case{{10, 10}, screen, {10, 10}},         // small pictures are never enlarged
             Case{{2048, 1024}, screen, {1024, 512}},  // width limits
             Case{{1000, 1536}, screen, {500, 768}},   // height limits
             Case{{2048, 1536}, screen, {1024, 768}},  // a tie
             Case{{1025, 100}, screen, {1024, 100}},   // 99.9 rounds to 100
             Case{{500, 1500}, {1024, 748}, {249, 748}}, Case{{2048, 1024}, {508, 380}, {508, 254}},
             Case{{100000, 2}, screen, {1024, 1}},  // a side never vanishes
         }) {
        EXPECT_EQ(fittedSize(c.picture, c.target), c.expected)
            << c.picture.width() << "x" << c.picture.height();
    }
}

TEST(LayoutCaption, StripFillsTheGrownRowsAndCentresTheText) {
    // 748 + 1.5 * 13 + 1 = 768.5 goes to 768; the strip starts at 768 - 19.5 = 748.5 -> 748.
    CaptionLayout layout = layoutCaption({249, 748}, 13, 11);
    EXPECT_EQ(layout.canvas, QSize(249, 768));
    EXPECT_EQ(layout.stripTop, 748);
    EXPECT_EQ(layout.text, QPoint(11, 752));  // 768 - 16.25 = 751.75

    layout = layoutCaption({512, 364}, 14, 12);  // 364 + 22 = 386
    EXPECT_EQ(layout.canvas, QSize(512, 386));
    EXPECT_EQ(layout.stripTop, 365);
    EXPECT_EQ(layout.text, QPoint(12, 368));  // 386 - 17.5 = 368.5
}

TEST(CaptionText, CutsTheDirectoryLengthInBytes) {
    EXPECT_EQ(captionText("/pictures/trips/sea.jpg", "/pictures/"), "trips/sea.jpg");
    EXPECT_EQ(captionText("/pictures/caf\xe9.jpg", "/pictures/"), "caf\xe9.jpg");
    EXPECT_EQ(captionText("/pic", "/pictures/"), "");
    EXPECT_EQ(captionText("/pictures/", "/pictures/"), "");
}

}  // namespace
}  // namespace muralto::imaging

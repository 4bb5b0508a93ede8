#include <gtest/gtest.h>

#include <QImage>

#include "folders/DirectoryLists.h"
#include "imaging/ImageUpdater.h"
#include "platform/RandomSource.h"
#include "tests/support/RecordingOutput.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;

class ImageUpdaterFixture {
protected:
    test::TempDir dir;
    std::string pictures = (dir.path() / "pics").string() + "/";
    std::string bitmap = (dir.path() / "jdoe.bmp").string();
    platform::SeededRandom random{7};
    MountDirectoryLists lists{dir.path().string()};
    Catalogue catalogue{random, lists};
    test::RecordingOutput output;
    ImageUpdater updater{catalogue, output, bitmap};

    void picture(const std::string& name, QSize size) {
        fs::create_directories(pictures);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(QString::fromStdString(pictures + name), "BMP"));
    }
    /// Files that the loader refuses, named broken<n>.jpg.
    void brokenPictures(int count) {
        for (int i = 0; i < count; ++i)
            dir.write("pics/broken" + std::to_string(i) + ".jpg", "\xff\xd8\xff\xe0 broken");
    }
    UpdateRequest request(bool wallpaper = true, std::int32_t scaleFactor = 1,
                          bool addPath = false) {
        return {
            wallpaper,        false,    {true, pictures, 60, false, addPath, scaleFactor, false},
            QSize(1024, 768), {13, 11}, dir.path().string()};
    }
    /// The names of the candidates, relative to the test folder, sorted.
    std::vector<std::string> candidates() const {
        std::vector<std::string> names;
        for (std::size_t i = 1; i < catalogue.imageList().size(); ++i)
            names.push_back(fs::relative(catalogue.imageList()[i], dir.path()).string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

class ImageUpdaterTest : public ImageUpdaterFixture, public testing::Test {};

/// The retries of one update take the next pictures of the cycle, never a fresh scan: with
/// ReScan on, rescanning at each retry drew at random again and could miss the one good
/// picture for the whole update.
TEST_F(ImageUpdaterTest, BadPicturesCostNoDelayTheNextOneOfTheCycleIsShown) {
    picture("good.bmp", QSize(400, 200));
    brokenPictures(6);
    UpdateRequest update = request();
    constexpr int kRounds = 20;
    for (const bool reScan : {true, false}) {
        update.settings.ReScan = reScan;
        for (int round = 0; round < kRounds; ++round)
            ASSERT_EQ(updater.UpdateImage(update), UpdateResult::Shown) << updater.lastError();
    }
    EXPECT_EQ(output.wallpapers, std::vector<QSize>(2 * kRounds, QSize(400, 200)));
}

TEST_F(ImageUpdaterTest, WhenNothingLoadsThePreviousWallpaperStays) {
    brokenPictures(2);
    dir.write("jdoe.bmp", "the previous bitmap");
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::Failed);
    EXPECT_FALSE(updater.lastError().empty());
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::Failed);  // not left busy
    EXPECT_TRUE(output.wallpapers.empty());
    EXPECT_EQ(test::readFile(bitmap), "the previous bitmap");
}

TEST_F(ImageUpdaterTest, NoCandidatesChangeNothing) {
    fs::create_directories(pictures);
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::NoImage);
    EXPECT_FALSE(fs::exists(bitmap));
}

/// A target with a side of 0 pixels or less has no room for a picture: the update ends
/// without drawing, and the wallpaper stays. 1024 / 256 - 4 leaves a width of 0; at 32 tiles
/// 20 - 1.5 * 13 = 0.5 leaves a height of 0 with the caption.
TEST_F(ImageUpdaterTest, NoRoomEndsTheUpdateWithoutAPicture) {
    picture("a.bmp", QSize(10, 10));
    EXPECT_EQ(updater.UpdateImage(request(true, 256)), UpdateResult::NoImage);
    EXPECT_EQ(updater.UpdateImage(request(true, 32, true)), UpdateResult::NoImage);
    EXPECT_TRUE(output.wallpapers.empty());
    EXPECT_FALSE(fs::exists(bitmap));
}

TEST_F(ImageUpdaterTest, AnUpdateDuringAnUpdateReturnsAtOnce) {
    picture("a.bmp", QSize(100, 100));
    UpdateResult nested = UpdateResult::Shown;
    output.duringShow = [&] { nested = updater.UpdateImage(request()); };
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::Shown);
    EXPECT_EQ(nested, UpdateResult::Busy);
    EXPECT_EQ(output.wallpapers.size(), 1u);
}

/// While the desktop takes the wallpaper, the update is still running: a timer tick or an
/// "Update" meanwhile is Busy and composes nothing; the outcome comes to the finished handler.
TEST_F(ImageUpdaterTest, PendingWallpapersKeepTheUpdateBusyUntilTheirOutcomeComes) {
    picture("a.bmp", QSize(100, 100));
    output.holdWallpapers = true;
    std::vector<UpdateResult> finished;
    updater.setFinishedHandler([&](UpdateResult result) { finished.push_back(result); });
    for (const WallpaperShown& outcome :
         {WallpaperShown{true, "", ""}, WallpaperShown{false, "no desktop", "told"}}) {
        ASSERT_EQ(updater.UpdateImage(request()), UpdateResult::Pending) << updater.lastError();
        EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::Busy);
        ASSERT_EQ(output.wallpapers.size(), output.held.size());
        output.held.back()(outcome);
        EXPECT_EQ(updater.lastError(), outcome.error);
        EXPECT_EQ(updater.lastNotice(), outcome.notice);
    }
    EXPECT_EQ(finished, (std::vector<UpdateResult>{UpdateResult::Shown, UpdateResult::Failed}));
}

/// The saver modes get a frame and write no bitmap; the preview never draws a caption
/// (600 + 1.5 * 13 + 1 = 620.5, rounded half to even, with one).
TEST_F(ImageUpdaterTest, SaverFramesGetTheCanvasAndNoBitmap) {
    picture("a.bmp", QSize(800, 600));
    UpdateRequest preview = request(false, 1, true);
    preview.preview = true;
    for (const UpdateRequest& update : {request(false, 2), request(false, 1, true), preview})
        EXPECT_EQ(updater.UpdateImage(update), UpdateResult::Shown) << updater.lastError();
    EXPECT_EQ(output.frames, (std::vector<QSize>{{512, 384}, {800, 620}, {800, 600}}));
    EXPECT_FALSE(fs::exists(bitmap));
}

struct OwnBitmapCase {
    std::string name;
    std::string path;  ///< the image folder setting; empty for the program's folder
    std::vector<std::string> files;
    std::vector<std::string> candidates;
};

class OwnBitmaps : public ImageUpdaterFixture, public testing::TestWithParam<OwnBitmapCase> {};

/// The bitmap the program writes, and its numbered copies beside it, are never candidates:
/// only in the folder where the bitmap is written. A user's picture of the same name
/// elsewhere is one.
TEST_P(OwnBitmaps, AreNeverCandidatesOnlyInTheirOwnFolder) {
    picture("a.bmp", QSize(64, 48));
    for (const std::string& file : GetParam().files)
        dir.write(file, "not a picture");
    UpdateRequest update = request();
    update.settings.Path = GetParam().path.empty() ? "" : (dir.path() / GetParam().path).string();
    ASSERT_EQ(updater.UpdateImage(update), UpdateResult::Shown) << updater.lastError();
    ASSERT_TRUE(fs::exists(bitmap));
    update.settings.ReScan = true;  // the bitmap just written is found by the scan
    updater.UpdateImage(update);
    EXPECT_EQ(candidates(), GetParam().candidates);
}

const OwnBitmapCase kFolders[] = {
    {"InTheProgramsFolder",
     "",
     {"jdoe~3.bmp", "jdoe~x.bmp", "jdoe~.bmp", "sub/jdoe.bmp", "sub/jdoe~2.bmp"},
     {"jdoe~.bmp", "jdoe~x.bmp", "pics/a.bmp", "sub/jdoe.bmp", "sub/jdoe~2.bmp"}},
    {"InAPictureFolder",
     "pics",
     {"pics/jdoe.bmp", "pics/jdoe~1.bmp"},
     {"pics/a.bmp", "pics/jdoe.bmp", "pics/jdoe~1.bmp"}},
};

INSTANTIATE_TEST_SUITE_P(Folders, OwnBitmaps, testing::ValuesIn(kFolders), test::byName);

}  // namespace
}  // namespace muralto::imaging

#include <gtest/gtest.h>

#include <unistd.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "folders/DirectoryLists.h"
#include "imaging/BitmapWriter.h"
#include "imaging/ImageUpdater.h"
#include "platform/RandomSource.h"
#include "tests/support/HeldJobRunner.h"
#include "tests/support/RecordingOutput.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;

class ImageUpdaterTest : public testing::Test {
protected:
    test::TempDir dir;
    std::string pictures = (dir.path() / "pics").string() + "/";
    std::string bitmap = (dir.path() / "jdoe.bmp").string();
    platform::SeededRandom random{7};
    MountDirectoryLists lists{dir.path().string()};
    Catalogue catalogue{random, lists};
    test::RecordingOutput output;
    test::HeldJobRunner jobs;
    ImageUpdater updater{catalogue, output, bitmap, jobs};

    void picture(const std::string& name, QSize size) {
        fs::create_directories(pictures);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(QString::fromStdString(pictures + name), "BMP"));
    }
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
};

/// Retries take the next pictures of the cycle, never a fresh scan, which could miss the good one.
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

/// 1024 / 256 - 4 leaves a width of 0; at 32 tiles 20 - 1.5 * 13 leaves 0.5 with the caption.
TEST_F(ImageUpdaterTest, NoCandidatesOrNoRoomEndTheUpdateWithoutAPicture) {
    fs::create_directories(pictures);
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::NoImage);
    picture("a.bmp", QSize(10, 10));
    EXPECT_EQ(updater.UpdateImage(request(true, 256)), UpdateResult::NoImage);
    EXPECT_EQ(updater.UpdateImage(request(true, 32, true)), UpdateResult::NoImage);
    EXPECT_TRUE(output.wallpapers.empty());
    EXPECT_FALSE(fs::exists(bitmap));
}

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

/// While the work runs nothing else starts, and the work uses the request and the image list as
/// they were when the update started: settings saved meanwhile empty the list only once the
/// work is back. The bitmap is written by the work; the desktop gets it once the work is back.
TEST_F(ImageUpdaterTest, OneUpdateAtATimeWithTheSettingsOfItsStart) {
    picture("a.bmp", QSize(100, 100));
    jobs.hold = true;
    UpdateRequest update = request();
    ASSERT_EQ(updater.UpdateImage(update), UpdateResult::Pending);
    update.settings.Path = (dir.path() / "empty").string();
    fs::create_directories(update.settings.Path);
    updater.resetImageList();
    EXPECT_EQ(updater.UpdateImage(update), UpdateResult::Busy);
    jobs.runWork();
    EXPECT_TRUE(fs::exists(bitmap));
    EXPECT_TRUE(output.wallpapers.empty());
    EXPECT_EQ(updater.UpdateImage(update), UpdateResult::Busy);
    ASSERT_EQ(catalogue.imageList().size(), 2u);
    jobs.bringBack();
    EXPECT_EQ(output.wallpapers, std::vector<QSize>{QSize(100, 100)});
    EXPECT_EQ(catalogue.imageList().size(), 1u);  // emptied now, for the next update
    jobs.hold = false;
    EXPECT_EQ(updater.UpdateImage(update), UpdateResult::NoImage);
}

/// Once cancelled, the work gives up, what it found is never shown and no update starts again.
TEST_F(ImageUpdaterTest, CancelledWorkIsDroppedAndNothingStartsAgain) {
    picture("a.bmp", QSize(100, 100));
    jobs.hold = true;
    ASSERT_EQ(updater.UpdateImage(request()), UpdateResult::Pending);
    updater.cancel();
    jobs.bringBack();
    EXPECT_TRUE(output.wallpapers.empty());
    EXPECT_FALSE(fs::exists(bitmap));
    jobs.hold = false;
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::Busy);
}

/// The saver modes get a frame and write no bitmap; the preview never draws a caption
/// (600 + 1.5 * 13 + 1 = 620.5, rounded half to even, with one).
TEST_F(ImageUpdaterTest, SaverFramesGetTheCanvasAndNoBitmap) {
    picture("a.bmp", QSize(800, 600));
    UpdateRequest preview = request(false, 1, true);
    preview.preview = true;
    for (const UpdateRequest& update : {request(false, 2), request(false, 1, true), preview})
        EXPECT_EQ(updater.UpdateImage(update), UpdateResult::Shown) << updater.lastError();
    EXPECT_EQ(output.frames, (std::vector<QSize>{{1024, 768}, {800, 620}, {800, 600}}));
    EXPECT_FALSE(fs::exists(bitmap));
}

/// A user's picture of the same name in another folder is a candidate.
TEST_F(ImageUpdaterTest, OwnBitmapsAreNeverCandidatesOnlyInTheirOwnFolder) {
    picture("a.bmp", QSize(64, 48));
    for (const char* file : {"jdoe~3.bmp", "jdoe~x.bmp", "jdoe~.bmp", "pics/jdoe.bmp"})
        dir.write(file, "not a picture");
    UpdateRequest update = request();
    update.settings.Path = "";  // the program's folder
    ASSERT_EQ(updater.UpdateImage(update), UpdateResult::Shown) << updater.lastError();
    ASSERT_TRUE(fs::exists(bitmap));
    update.settings.ReScan = true;  // the bitmap just written is found by the scan
    updater.UpdateImage(update);
    std::vector<std::string> names;
    for (std::size_t i = 1; i < catalogue.imageList().size(); ++i)
        names.push_back(fs::relative(catalogue.imageList()[i], dir.path()).string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"jdoe~.bmp", "jdoe~x.bmp", "pics/a.bmp", "pics/jdoe.bmp"}));
}

using muralto::test::readFile;
using muralto::test::TempDir;

QImage threeByTwo() {
    static const QRgb pixels[] = {0xffff0000, 0xff00ff00, 0xff0000ff,
                                  0xff010203, 0xff040506, 0xff070809};
    return QImage(reinterpret_cast<const uchar*>(pixels), 3, 2, QImage::Format_RGB32).copy();
}

TEST(WriteBitmap, ReplacesTheOldFileWith24BitBottomUpRowsPaddedToFourBytesForAllToRead) {
    TempDir dir;
    const fs::path path = dir.write("jo.bmp", "old bitmap");
    ASSERT_EQ(writeBitmap(threeByTwo(), path.string()), "");
    const std::string data = readFile(path);
    ASSERT_EQ(data.size(), 54u + 2 * 12);
    EXPECT_EQ(data.substr(0, 2), "BM");
    EXPECT_EQ(data.substr(54), std::string("\x03\x02\x01\x06\x05\x04\x09\x08\x07\0\0\0"
                                           "\0\0\xff\0\xff\0\xff\0\0\0\0\0",
                                           24));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::others_read, fs::perms::others_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "a temporary file was left behind";
}

TEST(WriteBitmap, ReadOnlyFolderKeepsTheOldBitmap) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    const fs::path path = dir.write("ro/jo.bmp", "old bitmap");
    fs::permissions(path.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_NE(writeBitmap(threeByTwo(), path.string()), "");
    EXPECT_EQ(readFile(path), "old bitmap");
}

TEST(BitmapPath, GoesBesideTheProgramElseIntoTheUsersDataFolder) {
    TempDir dir;
    const std::string program = dir.path().string();
    EXPECT_EQ(wallpaperBitmapPath(program + "/", "ann"), program + "/ann.bmp");
    ::setenv("XDG_DATA_HOME", (program + "/data").c_str(), 1);  // nothing else here reads it
    const fs::path expected = dir.path() / "data/Brenwick/Muralto/jdoe.bmp";
    EXPECT_EQ(wallpaperBitmapPath(program + "/no such folder", "jdoe"), expected.string());
    EXPECT_TRUE(fs::is_directory(expected.parent_path()));
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace muralto::imaging

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "DirectoryLists.h"
#include "ImageUpdater.h"
#include "RandomSource.h"
#include "TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;

class RecordingOutput : public ImageOutput {
public:
    bool showWallpaper(const std::string& bitmapPath, std::int32_t, std::string*) override {
        wallpapers.push_back(QImage(QString::fromStdString(bitmapPath)).size());
        if (duringShow)
            duringShow();
        return true;
    }
    void showFrame(const QImage& canvas, const CompositionRequest&) override {
        frames.push_back(canvas.size());
    }

    std::vector<QSize> wallpapers, frames;
    std::function<void()> duringShow;
};

class ImageUpdaterTest : public testing::Test {
protected:
    test::TempDir dir;
    std::string pictures = (dir.path() / "pics").string() + "/";
    std::string bitmap = (dir.path() / "jdoe.bmp").string();
    platform::SeededRandom random{7};
    MountDirectoryLists lists{dir.path().string()};
    Catalogue catalogue{random, lists};
    RecordingOutput output;
    ImageUpdater updater{catalogue, output, bitmap};

    void picture(const std::string& name, QSize size) {
        fs::create_directories(pictures);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(QString::fromStdString(pictures + name), "BMP"));
    }
    UpdateRequest request(bool wallpaper = true, std::int32_t scaleFactor = 1) {
        return {wallpaper,        false,    {true, pictures, 60, false, false, scaleFactor, false},
                QSize(1024, 768), {13, 11}, dir.path().string()};
    }
};

TEST_F(ImageUpdaterTest, BadPicturesCostNoDelayTheNextOneOfTheCycleIsShown) {
    picture("good.bmp", QSize(2048, 1024));
    dir.write("pics/broken.jpg", "\xff\xd8\xff\xe0 not really a picture");
    dir.write("pics/drawing.eps", "%!PS-Adobe-3.0 EPSF-3.0\n");
    dir.write("pics/empty.gif", "");
    for (int round = 0; round < 3; ++round)
        ASSERT_EQ(updater.UpdateImage(request()), UpdateResult::Shown) << updater.lastError();
    EXPECT_EQ(output.wallpapers, std::vector<QSize>(3, QSize(1024, 512)));
}

TEST_F(ImageUpdaterTest, WhenNothingLoadsThePreviousWallpaperStays) {
    dir.write("pics/broken.jpg", "garbage");
    dir.write("pics/gone.bmp", "BM");
    dir.write("jdoe.bmp", "the previous bitmap");
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::Failed);
    EXPECT_FALSE(updater.lastError().empty());
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::Failed);  // not left busy
    EXPECT_TRUE(output.wallpapers.empty());
    EXPECT_EQ(test::readFile(bitmap), "the previous bitmap");
}

TEST_F(ImageUpdaterTest, NoCandidatesOrNoRoomChangesNothing) {
    fs::create_directories(pictures);
    EXPECT_EQ(updater.UpdateImage(request()), UpdateResult::NoImage);
    picture("a.bmp", QSize(10, 10));
    // 1024 / 300 - 4 leaves no room
    EXPECT_EQ(updater.UpdateImage(request(true, 300)), UpdateResult::NoImage);
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

TEST_F(ImageUpdaterTest, TheSaverGetsAFrameAndNoBitmap) {
    picture("a.bmp", QSize(800, 600));
    EXPECT_EQ(updater.UpdateImage(request(false, 2)), UpdateResult::Shown);
    EXPECT_EQ(output.frames, std::vector<QSize>{QSize(512, 384)});
    EXPECT_FALSE(fs::exists(bitmap));
}

TEST_F(ImageUpdaterTest, TheProgramsOwnBitmapsAreNeverCandidates) {
    picture("a.bmp", QSize(64, 48));
    UpdateRequest fromHere = request();
    fromHere.settings.Path = "";  // the program's folder, where the bitmap is written
    dir.write("jdoe~3.bmp", "an old numbered copy");
    dir.write("jdoe~x.bmp", "not one of ours");
    ASSERT_EQ(updater.UpdateImage(fromHere), UpdateResult::Shown) << updater.lastError();
    ASSERT_TRUE(fs::exists(bitmap));
    fromHere.settings.ReScan = true;
    for (int round = 0; round < 4; ++round)
        updater.UpdateImage(fromHere);
    std::vector<std::string> names;
    for (std::size_t i = 1; i < catalogue.imageList().size(); ++i)
        names.push_back(fs::path(catalogue.imageList()[i]).filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.bmp", "jdoe~x.bmp"}));
}

}  // namespace
}  // namespace muralto::imaging

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

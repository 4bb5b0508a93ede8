#include "imaging/BitmapWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using muralto::test::readFile;
using muralto::test::TempDir;

/// How many entries a folder holds: more than expected means a temporary file was left behind.
long entries(const fs::path& dir) {
    return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
}

QImage threeByTwo() {
    static const QRgb pixels[] = {0xffff0000, 0xff00ff00, 0xff0000ff,
                                  0xff010203, 0xff040506, 0xff070809};
    return QImage(reinterpret_cast<const uchar*>(pixels), 3, 2, QImage::Format_RGB32).copy();
}

TEST(WriteBitmap, Writes24BitBottomUpRowsPaddedToFourBytes) {
    TempDir dir;
    const std::string path = (dir.path() / "jo.bmp").string();
    ASSERT_EQ(writeBitmap(threeByTwo(), path), "");
    const std::string data = readFile(path);
    ASSERT_EQ(data.size(), 54u + 2 * 12);
    EXPECT_EQ(data.substr(0, 2), "BM");
    EXPECT_EQ(data.substr(54), std::string("\x03\x02\x01\x06\x05\x04\x09\x08\x07\0\0\0"
                                           "\0\0\xff\0\xff\0\xff\0\0\0\0\0",
                                           24));
    EXPECT_TRUE(QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32) ==
                threeByTwo());
}

TEST(WriteBitmap, ReplacesTheOldFileWholeOrKeepsWhatWasThere) {
    TempDir dir;
    const fs::path path = dir.write("jo.bmp", "old bitmap");
    ASSERT_EQ(writeBitmap(threeByTwo(), path.string()), "");
    EXPECT_EQ(readFile(path).substr(0, 2), "BM");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::others_read, fs::perms::others_read);

    const fs::path blocked = dir.write("blocked.bmp/inside", "keep").parent_path();
    const std::string error = writeBitmap(threeByTwo(), blocked.string());
    EXPECT_NE(error.find(blocked.string()), std::string::npos) << error;
    EXPECT_EQ(readFile(blocked / "inside"), "keep");
    EXPECT_NE(writeBitmap(QImage(), path.string()), "");
    EXPECT_EQ(readFile(path).substr(0, 2), "BM");
    EXPECT_NE(writeBitmap(threeByTwo(), (dir.path() / "missing/x.bmp").string()), "");
    EXPECT_EQ(entries(dir.path()), 2) << "a temporary file was left behind";
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
    EXPECT_EQ(wallpaperBitmapPath(program, ""), program + "/No Logged In User.bmp");

    const std::string missing = (dir.path() / "no such folder").string();
    ::setenv("HOME", (dir.path() / "home").c_str(), 1);  // nothing else in this program reads it
    for (const auto& [dataHome, expected] :
         {std::pair{program + "/data", dir.path() / "data/Brenwick/Muralto/jdoe.bmp"},
          std::pair{std::string("relative/data"),  // ignored: not absolute
                    dir.path() / "home/.local/share/Brenwick/Muralto/jdoe.bmp"}}) {
        ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        EXPECT_EQ(wallpaperBitmapPath(missing, "jdoe"), expected.string());
        EXPECT_TRUE(fs::is_directory(expected.parent_path()));
    }
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace muralto::imaging

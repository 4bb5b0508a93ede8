#include "BitmapWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using muralto::test::readFile;
using muralto::test::TempDir;

std::uint32_t le(const std::string& data, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(data[at + i]);
    return value;
}

/// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

/// Names in dir other than the given one: temporary files left behind.
std::vector<std::string> othersIn(const fs::path& dir, const std::string& expected) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename() != expected)
            names.push_back(entry.path().filename());
    }
    return names;
}

QImage threeByTwo() {
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(2, 0, qRgb(0, 0, 255));
    image.setPixel(0, 1, qRgb(1, 2, 3));
    image.setPixel(1, 1, qRgb(4, 5, 6));
    image.setPixel(2, 1, qRgb(7, 8, 9));
    return image;
}

TEST(WriteBitmap, Writes24BitBottomUpRowsPaddedToFourBytes) {
    TempDir dir;
    const std::string path = (dir.path() / "jo.bmp").string();
    ASSERT_EQ(writeBitmap(threeByTwo(), path), "");
    const std::string data = readFile(path);
    ASSERT_EQ(data.size(), 54u + 2 * 12);
    EXPECT_EQ(data.substr(0, 2), "BM");
    EXPECT_EQ(le(data, 2, 4), data.size());
    EXPECT_EQ(le(data, 10, 4), 54u);  // pixels start after both headers
    EXPECT_EQ(le(data, 14, 4), 40u);
    EXPECT_EQ(le(data, 18, 4), 3u);
    EXPECT_EQ(le(data, 22, 4), 2u);  // positive height: bottom-up
    EXPECT_EQ(le(data, 26, 2), 1u);
    EXPECT_EQ(le(data, 28, 2), 24u);  // bits a pixel
    EXPECT_EQ(le(data, 30, 4), 0u);   // no compression
    EXPECT_EQ(le(data, 34, 4), 24u);
    const std::string bottomRow("\x03\x02\x01\x06\x05\x04\x09\x08\x07\0\0\0", 12);
    const std::string topRow("\0\0\xff\0\xff\0\xff\0\0\0\0\0", 12);
    EXPECT_EQ(data.substr(54, 12), bottomRow);
    EXPECT_EQ(data.substr(66, 12), topRow);
}

TEST(WriteBitmap, ReplacesTheOldFileLeavingNoTemporaryFile) {
    TempDir dir;
    const fs::path path = dir.write("jo.bmp", "old bitmap");
    ASSERT_EQ(writeBitmap(threeByTwo(), path.string()), "");
    EXPECT_EQ(readFile(path).substr(0, 2), "BM");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::others_read, fs::perms::others_read);
    EXPECT_TRUE(othersIn(dir.path(), "jo.bmp").empty());
}

TEST(WriteBitmap, FailureKeepsWhatWasThere) {
    TempDir dir;
    const fs::path blocked = dir.path() / "jo.bmp";
    fs::create_directory(blocked);
    dir.write("jo.bmp/inside", "keep");
    const std::string error = writeBitmap(threeByTwo(), blocked.string());
    EXPECT_NE(error.find(blocked.string()), std::string::npos) << error;
    EXPECT_EQ(readFile(blocked / "inside"), "keep");
    EXPECT_TRUE(othersIn(dir.path(), "jo.bmp").empty());

    EXPECT_NE(writeBitmap(QImage(), (dir.path() / "x.bmp").string()), "");
    EXPECT_FALSE(fs::exists(dir.path() / "x.bmp"));
    EXPECT_NE(writeBitmap(threeByTwo(), (dir.path() / "missing/x.bmp").string()), "");
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

TEST(BitmapPath, GoesBesideTheProgramWhenItsFolderIsWritable) {
    TempDir dir;
    const std::string program = dir.path().string();
    struct Case {
        std::string directory;
        std::optional<std::string> user;
        std::string expected;
    };
    for (const Case& c : {Case{program, "jdoe", program + "/jdoe.bmp"},
                          Case{program + "/", "ann", program + "/ann.bmp"},
                          Case{program, std::nullopt, program + "/No Logged In User.bmp"},
                          Case{program, "", program + "/No Logged In User.bmp"}}) {
        EXPECT_EQ(wallpaperBitmapPath(c.directory, c.user), c.expected) << c.directory;
    }
}

TEST(BitmapPath, FallsBackToTheUsersDataFolder) {
    TempDir dir;
    const std::string missing = (dir.path() / "no such folder").string();
    {
        ScopedEnv data("XDG_DATA_HOME", (dir.path() / "data").string());
        const fs::path expected = dir.path() / "data/Brenwick/Muralto/jdoe.bmp";
        EXPECT_EQ(wallpaperBitmapPath(missing, "jdoe"), expected.string());
        EXPECT_TRUE(fs::is_directory(expected.parent_path()));
    }
    {
        ScopedEnv data("XDG_DATA_HOME", "relative/data");
        ScopedEnv home("HOME", (dir.path() / "home").string());
        const fs::path expected = dir.path() / "home/.local/share/Brenwick/Muralto/jdoe.bmp";
        EXPECT_EQ(wallpaperBitmapPath(missing, "jdoe"), expected.string());
        EXPECT_TRUE(fs::is_directory(expected.parent_path()));
    }
}

}  // namespace
}  // namespace muralto::imaging

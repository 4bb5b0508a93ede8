#include "imaging/Catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>

#include "imaging/PlayOrder.h"
#include "platform/RandomSource.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

settings::ImageSettings withPath(std::string path) {
    return {true, std::move(path), 60};
}

class CatalogueTest : public ::testing::Test {
protected:
    void picture(const std::string& relative) const { dir_.write(relative, "x"); }
    std::optional<Choice> next() {
        return catalogue_.nextImage(withPath(folder_), "/program/folder");
    }

    test::TempDir dir_;
    std::string folder_ = dir_.path().string();
    platform::SeededRandom random_{5};
    MountDirectoryLists lists_{"/program/folder"};
    Catalogue catalogue_{random_, lists_};
};

TEST_F(CatalogueTest, ACycleShowsEveryPictureOnceBeforeANewOneStarts) {
    for (const char* name : {"a.jpg", "b.gif", "c.bmp"})
        picture(name);
    Paths shown;
    for (int i = 0; i < 3; ++i)
        shown.push_back(next()->path);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (Paths{folder_ + "/a.jpg", folder_ + "/b.gif", folder_ + "/c.bmp"}));
    EXPECT_EQ(catalogue_.playOrder(), std::vector<std::uint32_t>{0});

    picture("d.jpg");  // not seen until the next scan
    const auto fourth = next();
    ASSERT_TRUE(fourth);
    EXPECT_NE(fourth->path, folder_ + "/d.jpg");
    EXPECT_EQ(catalogue_.playOrder().size(), 3u) << "a new cycle of three, one taken";
}

TEST_F(CatalogueTest, AFolderWithoutPicturesGivesNoChoiceAndIsScannedAgain) {
    picture("notes.txt");
    EXPECT_FALSE(next());
    picture("late.jpg");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(next()->path, folder_ + "/late.jpg");
}

/// Runs the process in another working directory while it lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const fs::path& folder) : before_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingDirectory() { fs::current_path(before_); }

private:
    fs::path before_;
};

/// A folder that is missing or on a pseudo file system falls back to the current directory of
/// its drive: the program's folder when it is on that drive, else the last folder shown there,
/// else the mount point. Relative folders are the program's. The working directory, which holds
/// pictures of its own as a home folder does, is never scanned.
TEST(CatalogueFolderTest, AnUnusableFolderFallsBackToTheCurrentDirectoryOfItsDrive) {
    test::TempDir dir;
    for (const char* file :
         {"drive/pics/a.jpg", "home/pics/a.jpg", "roothome/a.jpg", "program/pics/c.jpg"})
        dir.write(file, "x");
    fs::create_directory(dir.path() / "drivework");
    const auto real = [&](const char* name) { return fs::canonical(dir.path() / name).string(); };
    const std::string drive = real("drive"), pics = drive + "/pics", program = real("program");
    const std::string home = real("home");
    const std::string table =
        "1 0 8:1 / / rw - ext4 a rw\n2 1 0:20 / /proc rw - proc proc rw\n"
        "3 1 8:3 / " +
        home + " rw - ext4 h rw\n4 1 8:2 / " + drive + " rw - tmpfs b rw\n";
    MountDirectoryLists lists(program, dir.write("mountinfo", table).string());
    struct Case {
        std::string path, workingDirectory, directory, caption;
    };
    for (const Case& c : {
             Case{drive + "/gone/", home, drive + "/", "pics/a.jpg"},  // the mount point
             Case{pics + "/", home, pics + "/", "a.jpg"},
             Case{pics + "/a.jpg", home, pics + "/", "a.jpg"},  // the last shown there
             Case{"", home, program + "/", "pics/c.jpg"},
             Case{"pics", home, program + "/pics/", "c.jpg"},
             Case{"/proc/self/", home, program + "/", "pics/c.jpg"},  // no drive: the program's
             Case{drive + "work/gone/", real("roothome"), program + "/", "pics/c.jpg"},  // on "/"
         }) {
        const WorkingDirectory started(c.workingDirectory);
        platform::SeededRandom random(3);
        Catalogue catalogue(random, lists);
        const auto choice = catalogue.nextImage(withPath(c.path), program);
        ASSERT_TRUE(choice) << c.path;
        EXPECT_EQ(choice->directory, c.directory) << c.path;
        EXPECT_EQ(choice->caption(), c.caption) << c.path;
    }
}

/// The pool draw done plainly: a list of the remaining indices, taken from by position.
std::vector<std::uint32_t> poolReference(std::size_t n, platform::RandomSource& random) {
    std::vector<std::uint32_t> pool(n);
    std::iota(pool.begin(), pool.end(), 1u);
    std::vector<std::uint32_t> order{0};
    while (!pool.empty()) {
        const auto k = static_cast<std::size_t>(random.next() * static_cast<double>(pool.size()));
        order.push_back(pool[k]);
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
    }
    return order;
}

TEST(ShuffledIndicesTest, MatchesThePoolDrawForTheSameDraws) {
    for (std::size_t n : {0u, 17u, 4097u}) {
        for (std::uint64_t seed : {1u, 2024u}) {
            platform::SeededRandom forFenwick(seed), forPool(seed);
            EXPECT_EQ(ShuffledIndices(n, forFenwick), poolReference(n, forPool))
                << "n=" << n << " seed=" << seed;
        }
    }
}

TEST(ShuffledIndicesTest, DrawsAtTheTopStayInsideThePool) {
    struct ConstantRandom : platform::RandomSource {
        double value;
        double next() override { return value; }
    };
    const std::size_t n = 4097;
    ConstantRandom random;
    random.value = std::nextafter(1.0, 0.0);  // takes the last of the pool each time
    const auto order = ShuffledIndices(n, random);
    ASSERT_EQ(order.size(), n + 1);
    for (std::size_t i = 1; i <= n; ++i)
        ASSERT_EQ(order[i], n + 1 - i) << i;
}

}  // namespace
}  // namespace muralto::imaging

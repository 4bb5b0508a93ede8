#include "DirectoryScan.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

/// The names in a folder in the order readdir gives them, without "." and "..".
Paths readdirOrder(const std::string& folder) {
    Paths names;
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(listing);
    return names;
}

/// A slow pre-order listing for trees without links: the files of a folder, then each
/// subfolder's listing, both in readdir order.
void referenceScan(const std::string& folder, Paths& files) {
    Paths subfolders;
    for (const std::string& name : readdirOrder(folder)) {
        const std::string path = folder + name;
        if (fs::is_directory(path)) {
            subfolders.push_back(path + "/");
        } else {
            files.push_back(path);
        }
    }
    for (const std::string& subfolder : subfolders)
        referenceScan(subfolder, files);
}

Paths scan(const std::string& directory) {
    Paths files{""};
    ScanDirectory(directory, files);
    return files;
}

class DirectoryScanTest : public ::testing::Test {
protected:
    std::string root() const { return dir_.path().string() + "/"; }
    void file(const std::string& relative) const { dir_.write(relative, "x"); }
    void link(const std::string& target, const std::string& relative) const {
        fs::create_symlink(target, dir_.path() / relative);
    }

    test::TempDir dir_;
};

TEST_F(DirectoryScanTest, ExampleTreeGivesItsImagesInPreOrder) {
    for (const char* name : {"A.JPG", "b.jpeg", "c.eps", "d.txt", "e.gif/f.bmp"})
        file(name);
    Paths expected{""};
    for (const std::string& name : readdirOrder(root())) {
        if (name == "A.JPG" || name == "c.eps")
            expected.push_back(root() + name);
    }
    expected.push_back(root() + "e.gif/f.bmp");
    Paths images{""};
    AddImageFiles(dir_.path().string(), images);
    EXPECT_EQ(images, expected);
}

TEST_F(DirectoryScanTest, FilesOfAFolderComeBeforeItsSubfoldersInReaddirOrder) {
    for (const char* name : {"1.txt", "s1/2.txt", "s1/t/3.txt", "s1/t/u/4.txt", "s1/5.txt",
                             "s2/6.txt", "s3/v/7.txt", "s3/8.txt", "9.txt", "s4/w/x/y/10"}) {
        file(name);
    }
    fs::create_directory(dir_.path() / "empty");
    Paths expected{""};
    referenceScan(root(), expected);
    EXPECT_EQ(expected.size(), 11u);
    EXPECT_EQ(scan(root()), expected);
    EXPECT_EQ(scan(dir_.path().string()), expected) << "without the trailing separator";
}

TEST_F(DirectoryScanTest, HiddenFilesAndFoldersAreListed) {
    for (const char* name : {".jpg", ".hidden.GIF", ".folder/x.bmp"})
        file(name);
    Paths images{""};
    AddImageFiles(root(), images);
    std::sort(images.begin() + 1, images.end());
    EXPECT_EQ(images,
              (Paths{"", root() + ".folder/x.bmp", root() + ".hidden.GIF", root() + ".jpg"}));
}

TEST_F(DirectoryScanTest, LinksAreFollowedButEveryFolderIsWalkedOnce) {
    test::TempDir outside;
    outside.write("photos/p.jpg", "x");
    outside.write("single.jpg", "x");
    file("a/in.jpg");
    link("..", "a/up");                                          // a loop back to the root
    link(".", "a/self");                                         // a loop onto itself
    link((outside.path() / "photos").string(), "linked");        // a linked photo folder
    link((outside.path() / "photos").string(), "linkedTwice");   // the same folder again
    link((outside.path() / "single.jpg").string(), "file.jpg");  // a linked file
    link((outside.path() / "gone").string(), "dangling.jpg");    // a link to nothing
    link("loop.jpg", "loop.jpg");                                // a link to itself
    const Paths files = scan(root());
    ASSERT_EQ(files.size(), 4u) << ::testing::PrintToString(files);
    const Paths found(files.begin() + 1, files.end());
    const auto has = [&](const std::string& path) {
        return std::count(found.begin(), found.end(), path) == 1;
    };
    EXPECT_TRUE(has(root() + "a/in.jpg"));
    EXPECT_TRUE(has(root() + "file.jpg"));
    EXPECT_TRUE(has(root() + "linked/p.jpg") || has(root() + "linkedTwice/p.jpg"));
}

TEST_F(DirectoryScanTest, PseudoFileSystemsAreNotEntered) {
    std::error_code error;
    if (!fs::exists("/proc/version", error))
        GTEST_SKIP() << "no proc file system here";
    file("own.jpg");
    link("/proc", "proc");
    link("/sys", "sys");
    EXPECT_EQ(scan(root()), (Paths{"", root() + "own.jpg"}));
    EXPECT_EQ(scan("/proc"), Paths{""});
}

TEST_F(DirectoryScanTest, OnlyRegularFilesAreListed) {
    file("real.jpg");
    ASSERT_EQ(::mkfifo((root() + "pipe.jpg").c_str(), 0600), 0);
    EXPECT_EQ(scan(root()), (Paths{"", root() + "real.jpg"}));
}

TEST_F(DirectoryScanTest, MissingOrNonFolderStartsGiveNothing) {
    file("plain.jpg");
    for (const std::string& start : {root() + "missing", root() + "plain.jpg"}) {
        EXPECT_EQ(scan(start), Paths{""}) << start;
    }
}

TEST_F(DirectoryScanTest, UnreadableFoldersAreSkipped) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    file("before.jpg");
    file("locked/hidden.jpg");
    file("open/seen.jpg");
    ASSERT_EQ(::chmod((root() + "locked").c_str(), 0), 0);
    Paths files = scan(root());
    std::sort(files.begin() + 1, files.end());
    EXPECT_EQ(files, (Paths{"", root() + "before.jpg", root() + "open/seen.jpg"}));
}

TEST_F(DirectoryScanTest, NamesAreKeptAsBytes) {
    const std::string name = "caf\xe9-\xff\xfe.JPG";  // Latin-1, not UTF-8
    file(name);
    Paths images{""};
    AddImageFiles(root(), images);
    EXPECT_EQ(images, (Paths{"", root() + name}));
}

TEST_F(DirectoryScanTest, ListsGainElementZeroAndKeepWhatTheyHeld) {
    file("x.gif");
    Paths empty;
    ScanDirectory(root(), empty);
    EXPECT_EQ(empty, (Paths{"", root() + "x.gif"}));
    Paths held{"", "/earlier.jpg"};
    AddImageFiles(root(), held);
    EXPECT_EQ(held, (Paths{"", "/earlier.jpg", root() + "x.gif"}));
}

TEST(IsCandidateImageTest, JudgesTheLastFourBytesWithoutCase) {
    struct Case {
        const char* path;
        bool candidate;
    };
    for (const Case& c :
         {Case{"/a.JPG", true}, Case{"/b.Gif", true}, Case{"/c.eps", true}, Case{"/d.bMp", true},
          Case{"/e.WMF", true}, Case{".jpg", true}, Case{"/c.jpeg", false}, Case{"/d.jpe", false},
          Case{"/a.jpg ", false}, Case{"jpg", false}, Case{"", false}, Case{"/x.png", false},
          Case{"/a.JP\xc7", false}, Case{"/\xc9t\xe9.gif", true}}) {
        EXPECT_EQ(IsCandidateImage(c.path), c.candidate) << c.path;
    }
}

}  // namespace
}  // namespace muralto::imaging

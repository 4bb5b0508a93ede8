#include "folders/DirectoryScan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

/// A slow pre-order listing for trees without links: the files of a folder, then each
/// subfolder's listing, both in the order the system lists them.
void referenceScan(const fs::path& folder, Paths& files) {
    Paths subfolders;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const bool isFolder = entry.is_directory();
        (isFolder ? subfolders : files).push_back(entry.path().string() + (isFolder ? "/" : ""));
    }
    for (const std::string& subfolder : subfolders)
        referenceScan(subfolder, files);
}

Paths scan(const std::string& directory) {
    Paths files;  // the scan gives it its empty element 0
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

TEST_F(DirectoryScanTest, ListsFilesOfAFolderBeforeItsSubfoldersAndTheImagesAmongThem) {
    for (const char* name :
         {"1.txt", "s1/2.jpg", "s1/t/3.txt", "s1/t/u/4.gif", "s1/5.bmp", "s2/6.jpeg", "s3/v/7.eps",
          "s3/8.txt", "9.JPG", "s4/w/x/y/10.wmf", "e.gif/f.txt", ".hidden.GIF", ".folder/x.bmp",
          "..x.jpg", "..pics/y.gif", "...z.bmp",  // only "." and ".." themselves are skipped
          "caf\xe9-\xff\xfe.JPG"}) {  // hidden names and names that are not UTF-8 count too
        file(name);
    }
    fs::create_directory(dir_.path() / "empty");
    Paths expected{""};
    referenceScan(root(), expected);
    ASSERT_EQ(expected.size(), 18u);
    EXPECT_EQ(scan(root()), expected);

    Paths images{"", "/earlier.jpg"};             // what the list held stays
    AddImageFiles(dir_.path().string(), images);  // without the trailing separator
    Paths expectedImages{"", "/earlier.jpg"};
    std::copy_if(expected.begin() + 1, expected.end(), std::back_inserter(expectedImages),
                 [](const std::string& path) {
                     return !path.ends_with(".txt") && !path.ends_with(".jpeg");
                 });
    EXPECT_EQ(images, expectedImages);

    const std::atomic<bool> stop = true;  // the program is ending: no folder is listed
    AddImageFiles(dir_.path().string(), images, &stop);
    EXPECT_EQ(images, expectedImages);
}

TEST_F(DirectoryScanTest, LinksAreFollowedButEveryFolderIsWalkedOnceAndOnlyFilesListed) {
    test::TempDir outside;
    outside.write("photos/p.jpg", "x");
    outside.write("single.jpg", "x");
    file("a/in.jpg");
    link("..", "a/up");                                           // a loop back to the root
    link((outside.path() / "photos").string(), "linked");         // a linked photo folder
    link((outside.path() / "photos").string(), "linkedTwice");    // the same folder again
    link((outside.path() / "single.jpg").string(), "file.jpg");   // a linked file
    link((outside.path() / "gone").string(), "dangling.jpg");     // a link to nothing
    ASSERT_EQ(::mkfifo((root() + "pipe.jpg").c_str(), 0600), 0);  // opening it would block
    const Paths files = scan(root());
    ASSERT_EQ(files.size(), 4u) << ::testing::PrintToString(files);
    const auto has = [&](const std::string& path) {
        return std::count(files.begin(), files.end(), root() + path) == 1;
    };
    EXPECT_TRUE(has("a/in.jpg"));
    EXPECT_TRUE(has("file.jpg"));
    EXPECT_TRUE(has("linked/p.jpg") || has("linkedTwice/p.jpg"));
}

TEST_F(DirectoryScanTest, PseudoFileSystemsMissingFoldersAndFilesAreNotEntered) {
    file("own.jpg");
    link("/proc", "proc");
    link("/sys", "sys");
    EXPECT_EQ(scan(root()), (Paths{"", root() + "own.jpg"}));
    for (const std::string& start : {std::string("/proc"), root() + "missing", root() + "own.jpg"})
        EXPECT_EQ(scan(start), Paths{""}) << start;
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

TEST(IsCandidateImageTest, JudgesTheLastFourBytesWithoutCase) {
    for (const char* yes : {"/a.JPG", "/b.Gif", "/c.eps", "/d.bMp", "/e.WMF", ".jpg", "/\xc9.gif"})
        EXPECT_TRUE(IsCandidateImage(yes)) << yes;
    for (const char* no : {"/c.jpeg", "/a.jpg ", "jpg", "", "/x.png", "/a.JP\xc7"})
        EXPECT_FALSE(IsCandidateImage(no)) << no;
}

}  // namespace
}  // namespace muralto::imaging

#include "ui/DirectoryControls.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListView>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <latch>
#include <thread>

#include "folders/BoundedFolderProbe.h"
#include "tests/support/HangingFolderProbe.h"
#include "tests/support/TestSupport.h"
#include "ui/FolderListModel.h"

namespace muralto::ui {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

/// A temporary tree with a mount table of its own: "/" real, <root>/drive a second real drive,
/// <root>/proc a pseudo file system, <root>/gone a drive whose mount point cannot be entered.
struct Tree {
    test::TempDir dir;
    fs::path root = fs::canonical(dir.path());
    std::string mountInfo;

    Tree() {
        for (const char* folder :
             {"program", "pics", "drive/pics", "drive/other", "drive/prog", "proc/self", "slow"})
            fs::create_directories(root / folder);
        const std::string table =
            "1 0 8:1 / / rw - ext4 a rw\n"
            "2 1 8:2 / " +
            at("drive") +
            " rw - ext4 d rw\n"
            "3 1 0:20 / " +
            at("proc") +
            " rw - proc proc rw\n"
            "4 1 8:4 / " +
            at("gone") +
            " rw - ext4 g rw\n"
            "5 1 0:40 / " +
            at("slow") + " rw - fuse.remote s rw\n";
        mountInfo = dir.write("mountinfo", table).string();
    }
    std::string at(const std::string& relative) const { return (root / relative).string(); }
};

/// The list and the drive box of one window, with every Change counted.
struct Controls {
    QWidget window;
    DirectoryControls c;
    int dirChanges = 0;
    int driveChanges = 0;

    Controls(const std::string& program, const std::string& mountInfo,
             std::shared_ptr<imaging::FolderProbe> probe = nullptr)
        : c(probe ? makeDirectoryControls(&window, program, mountInfo, std::move(probe))
                  : makeDirectoryControls(&window, program, mountInfo)) {
        QObject::connect(c.Dir1, &DirListBox::Change, [this] { ++dirChanges; });
        QObject::connect(c.Drive1, &DriveListBox::Change, [this] { ++driveChanges; });
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> result;
        for (int row = 0; row < c.Dir1->model().rowCount(); ++row)
            result.push_back(c.Dir1->model().row(row).path);
        return result;
    }
    std::vector<QString> subfolderNames() const {
        std::vector<QString> result;
        const FolderListModel& model = c.Dir1->model();
        for (int row = model.currentRow() + 1; row < model.rowCount(); ++row)
            result.push_back(model.row(row).display);
        return result;
    }
    QString comboText() const { return c.Drive1->findChild<QComboBox*>()->currentText(); }
    /// Chooses a drive in the drive box as a user does.
    void userPicks(int index) {
        auto* combo = c.Drive1->findChild<QComboBox*>();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
};

struct SetPathCase {
    const char* name;
    /// Makes what the row needs below root; returns the argument for setPath.
    std::function<std::string(const fs::path& root)> make;
    bool accepted;
    std::string shown;  ///< relative to root, when accepted
    bool needsUserWithoutOverride = false;
};

class DirListSetPathTest : public testing::TestWithParam<SetPathCase> {};

TEST_P(DirListSetPathTest, AcceptsExactlyTheFoldersThatCanBeListed) {
    const SetPathCase& c = GetParam();
    if (c.needsUserWithoutOverride && ::geteuid() == 0)
        GTEST_SKIP() << "root reads any folder";
    Tree tree;
    Controls controls(tree.at("program"), tree.mountInfo);
    const std::string argument = c.make(tree.root);
    EXPECT_EQ(controls.c.Dir1->setPath(argument), c.accepted);
    const std::string expected = c.accepted ? tree.at(c.shown) : tree.at("program");
    EXPECT_EQ(controls.c.Dir1->path(), expected);
    EXPECT_EQ(controls.dirChanges, c.accepted ? 1 : 0);
    EXPECT_EQ(controls.rows().back(), expected) << "the list shows the folder it reports";
    EXPECT_EQ(controls.driveChanges, 0);
}

std::string made(const fs::path& folder) {
    fs::create_directories(folder);
    return folder.string();
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DirListSetPathTest,
    testing::Values(
        SetPathCase{"Existing", [](const fs::path& r) { return made(r / "a"); }, true, "a"},
        SetPathCase{"TrailingSlash", [](const fs::path& r) { return made(r / "a") + "/"; }, true,
                    "a"},
        SetPathCase{"DoubledSlashes",
                    [](const fs::path& r) { return made(r / "a" / "b"), r.string() + "//a//b"; },
                    true, "a/b"},
        SetPathCase{"OnAnotherDrive", [](const fs::path& r) { return (r / "drive/pics").string(); },
                    true, "drive/pics"},
        SetPathCase{"Missing", [](const fs::path& r) { return (r / "none").string(); }, false, ""},
        SetPathCase{"AFile",
                    [](const fs::path& r) {
                        writeFile(r / "file.jpg", "x");
                        return (r / "file.jpg").string();
                    },
                    false, ""},
        SetPathCase{"Unreadable",
                    [](const fs::path& r) {
                        made(r / "locked");
                        fs::permissions(r / "locked", fs::perms::none);
                        return (r / "locked").string();
                    },
                    false, "", true},
        SetPathCase{"OnAPseudoFileSystem",
                    [](const fs::path& r) { return (r / "proc/self").string(); }, false, ""},
        SetPathCase{"Empty", [](const fs::path&) { return std::string(); }, false, ""},
        SetPathCase{"NotUtf8", [](const fs::path& r) { return made(r / "caf\xe9"); }, true,
                    "caf\xe9"}),
    test::byName);

TEST(DirListTest, ANameThatIsNotTextKeepsItsBytesAndShowsWithoutLoss) {
    Tree tree;
    const std::string odd = "caf\xe9 \xff";
    fs::create_directories(tree.root / "pics" / odd);
    Controls controls(tree.at("pics"), tree.mountInfo);
    ASSERT_TRUE(muralto::test::processUntil([&] { return controls.c.Dir1->listed(); }));
    ASSERT_EQ(controls.subfolderNames().size(), 1u);
    const QString shown = controls.subfolderNames().front();
    EXPECT_EQ(shown, "caf\\xE9 \\xFF");
    const int row = controls.c.Dir1->model().rowCount() - 1;
    ASSERT_TRUE(controls.c.Dir1->open(row));
    EXPECT_EQ(controls.c.Dir1->path(), tree.at("pics/" + odd));
}

TEST(DirListTest, ShowsTheSubfoldersOfTheFolderInAUsersOrder) {
    Tree tree;
    const fs::path pics = tree.root / "pics";
    for (const char* folder : {"b", "img10", ".hidden", "A", "img2"})
        fs::create_directories(pics / folder);
    writeFile(pics / "photo.jpg", "x");
    fs::create_directory_symlink(tree.root / "drive", pics / "linked");
    Controls controls(tree.at("program"), tree.mountInfo);
    ASSERT_TRUE(controls.c.Dir1->setPath(pics.string()));
    ASSERT_TRUE(muralto::test::processUntil([&] { return controls.c.Dir1->listed(); }));
    EXPECT_EQ(controls.subfolderNames(),
              (std::vector<QString>{"A", "b", "img2", "img10", "linked", ".hidden"}));
}

struct OpenCase {
    const char* name;
    std::function<void(QListView& view, const QModelIndex& index)> open;
};

class DirListOpenTest : public testing::TestWithParam<OpenCase> {};

TEST_P(DirListOpenTest, OpeningAFolderShowsItAndReportsOneChange) {
    Tree tree;
    fs::create_directories(tree.root / "pics" / "sub");
    Controls controls(tree.at("pics"), tree.mountInfo);
    ASSERT_TRUE(muralto::test::processUntil([&] { return controls.c.Dir1->listed(); }));
    auto* view = controls.c.Dir1->findChild<QListView*>();
    ASSERT_NE(view, nullptr);
    const FolderListModel& model = controls.c.Dir1->model();
    const int subRow = model.rowCount() - 1;
    GetParam().open(*view, model.index(subRow));
    EXPECT_EQ(controls.c.Dir1->path(), tree.at("pics/sub"));
    EXPECT_EQ(controls.dirChanges, 1);
    // And back up by the row of the folder above.
    GetParam().open(*view, model.index(model.currentRow() - 1));
    EXPECT_EQ(controls.c.Dir1->path(), tree.at("pics"));
    EXPECT_EQ(controls.dirChanges, 2);
}

void pressKey(QListView& view, const QModelIndex& index, Qt::Key key) {
    view.setCurrentIndex(index);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &press);
}

INSTANTIATE_TEST_SUITE_P(Ways, DirListOpenTest,
                         testing::Values(OpenCase{"DoubleClick",
                                                  [](QListView& view, const QModelIndex& index) {
                                                      emit view.doubleClicked(index);
                                                  }},
                                         OpenCase{"Return",
                                                  [](QListView& view, const QModelIndex& index) {
                                                      pressKey(view, index, Qt::Key_Return);
                                                  }},
                                         OpenCase{"Enter",
                                                  [](QListView& view, const QModelIndex& index) {
                                                      pressKey(view, index, Qt::Key_Enter);
                                                  }}),
                         test::byName);

TEST(DirListTest, ListingsOfFoldersLeftBeforeTheyCameAreDropped) {
    Tree tree;
    Controls controls(tree.at("program"), tree.mountInfo);
    // Each listing names the folder it was made for; the one of "pics" waits to be released.
    // The lister owns what it uses: a late worker may call it after the test.
    auto release = std::make_shared<std::latch>(1);
    auto slowDone = std::make_shared<std::atomic<bool>>(false);
    controls.c.Dir1->setLister(
        [release, slowDone, slow = tree.at("pics")](const std::string& folder) {
            if (folder == slow) {
                release->wait();
                *slowDone = true;
            }
            const std::string name = fs::path(folder).filename().string();
            return std::vector<imaging::Subfolder>{{name, QString::fromStdString(name)}};
        });
    ASSERT_TRUE(controls.c.Dir1->setPath(tree.at("pics")));
    ASSERT_TRUE(controls.c.Dir1->setPath(tree.at("drive")));
    release->count_down();
    // The earlier listings are on their way, not yet taken in: no events run meanwhile.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!*slowDone && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(*slowDone);
    ASSERT_TRUE(controls.c.Dir1->setPath(tree.at("drive/other")));
    ASSERT_TRUE(muralto::test::processUntil([&] { return controls.c.Dir1->listed(); }));
    EXPECT_EQ(controls.subfolderNames(), (std::vector<QString>{"other"}));
}

// The ending application waits for folders still being read, so no worker meets the library's
// data after it is gone.
TEST(DirListTest, ListingsStillBeingReadAreWaitedFor) {
    Tree tree;
    Controls controls(tree.at("program"), tree.mountInfo);
    ASSERT_TRUE(waitForDirectoryListings(5s));  // the first folder's listing
    auto release = std::make_shared<std::latch>(1);
    controls.c.Dir1->setLister([release](const std::string&) {
        release->wait();
        return std::vector<imaging::Subfolder>{};
    });
    ASSERT_TRUE(controls.c.Dir1->setPath(tree.at("pics")));
    EXPECT_FALSE(waitForDirectoryListings(50ms));
    release->count_down();
    EXPECT_TRUE(waitForDirectoryListings(5s));
}

struct SetDriveCase {
    const char* name;
    std::string argument;  ///< relative to the tree's root; "/" alone for the root
    bool accepted;
    std::string drive;  ///< relative to the root, when accepted; "/" for the root
};

class DriveSetDriveTest : public testing::TestWithParam<SetDriveCase> {};

TEST_P(DriveSetDriveTest, ShowsTheRealDriveThatHoldsThePath) {
    const SetDriveCase& c = GetParam();
    Tree tree;
    Controls controls(tree.at("program"), tree.mountInfo);
    ASSERT_EQ(controls.c.Drive1->drive(), "/");
    const auto full = [&](const std::string& relative) {
        return relative.empty() || relative == "/" ? relative : tree.at(relative);
    };
    EXPECT_EQ(controls.c.Drive1->setDrive(full(c.argument)), c.accepted);
    const std::string expected = c.accepted ? full(c.drive) : "/";
    EXPECT_EQ(controls.c.Drive1->drive(), expected);
    EXPECT_EQ(controls.comboText().toStdString(), expected);
    EXPECT_EQ(controls.driveChanges, expected == "/" ? 0 : 1);
    EXPECT_EQ(controls.dirChanges, 0) << "the page moves the directory list, not the drive box";
    EXPECT_EQ(controls.c.Dir1->path(), tree.at("program"));
}

INSTANTIATE_TEST_SUITE_P(Paths, DriveSetDriveTest,
                         testing::Values(SetDriveCase{"KnownMount", "drive/pics", true, "drive"},
                                         SetDriveCase{"MountPoint", "drive", true, "drive"},
                                         SetDriveCase{"MissingFolderOnAKnownMount",
                                                      "drive/none/deeper", true, "drive"},
                                         SetDriveCase{"PseudoMount", "proc/self", false, ""},
                                         SetDriveCase{"NotReady", "gone/pics", false, ""},
                                         SetDriveCase{"TheRootItself", "/", true, "/"},
                                         SetDriveCase{"Empty", "", false, ""}),
                         test::byName);

struct CurrentDirectoryCase {
    const char* name;
    std::string program;             ///< relative to the root
    std::vector<std::string> shown;  ///< folders the directory list shows in turn
    std::string expected;
};

class DriveCurrentDirectoryTest : public testing::TestWithParam<CurrentDirectoryCase> {};

TEST_P(DriveCurrentDirectoryTest, IsTheProgramsFolderElseTheLastShownElseTheMountPoint) {
    const CurrentDirectoryCase& c = GetParam();
    Tree tree;
    Controls controls(tree.at(c.program), tree.mountInfo);
    for (const std::string& folder : c.shown)
        ASSERT_TRUE(controls.c.Dir1->setPath(tree.at(folder))) << folder;
    if (controls.c.Drive1->drive() == tree.at("drive")) {
        ASSERT_TRUE(controls.c.Drive1->setDrive("/"));
    }
    ASSERT_TRUE(controls.c.Drive1->setDrive(tree.at("drive")));
    EXPECT_EQ(controls.c.Drive1->currentDirectory(), tree.at(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DriveCurrentDirectoryTest,
    testing::Values(
        CurrentDirectoryCase{
            "ProgramsFolderOnThatDrive", "drive/prog", {"drive/pics"}, "drive/prog"},
        CurrentDirectoryCase{"LastShownThere", "program", {"drive/pics", "pics"}, "drive/pics"},
        CurrentDirectoryCase{
            "LatestOfThoseShownThere", "program", {"drive/pics", "drive/other"}, "drive/other"},
        CurrentDirectoryCase{"MountPoint", "program", {"pics"}, "drive"}),
    test::byName);

struct PickCase {
    const char* name;
    std::string drive;  ///< relative to the root
    bool ready;
};

class DrivePickTest : public testing::TestWithParam<PickCase> {};

TEST_P(DrivePickTest, APickedDriveShowsWhenReadyAndLeavesBothListsAloneWhenNot) {
    const PickCase& c = GetParam();
    Tree tree;
    auto hanging = std::make_shared<test::HangingFolderProbe>(tree.mountInfo, tree.at("slow"));
    Controls controls(
        tree.at("pics"), tree.mountInfo,
        std::make_shared<imaging::BoundedFolderProbe>(tree.mountInfo, 100ms, hanging));
    // As the page does: a drive change moves the directory list to that drive's folder.
    QObject::connect(controls.c.Drive1, &DriveListBox::Change,
                     [&] { controls.c.Dir1->setPath(controls.c.Drive1->currentDirectory()); });
    const auto drives = controls.c.Drive1->drives();
    const auto at = std::find(drives.begin(), drives.end(), tree.at(c.drive));
    ASSERT_NE(at, drives.end());
    for (int attempt = 0; attempt < 3; ++attempt) {
        controls.userPicks(int(at - drives.begin()));
        const std::string expectedDrive = c.ready ? tree.at(c.drive) : "/";
        EXPECT_EQ(controls.c.Drive1->drive(), expectedDrive);
        EXPECT_EQ(controls.comboText().toStdString(), expectedDrive);
        EXPECT_EQ(controls.driveChanges, c.ready ? 1 : 0) << "attempt " << attempt;
        EXPECT_EQ(controls.c.Dir1->path(), c.ready ? tree.at(c.drive) : tree.at("pics"));
        EXPECT_EQ(controls.dirChanges, c.ready ? 1 : 0);
    }
    EXPECT_LE(hanging->hangs(), 1) << "a mount that hangs is asked once while it hangs";
    hanging->release();
}

INSTANTIATE_TEST_SUITE_P(Drives, DrivePickTest,
                         testing::Values(PickCase{"Ready", "drive", true},
                                         PickCase{"MountPointMissing", "gone", false},
                                         PickCase{"NotAnswering", "slow", false}),
                         test::byName);

TEST(DirectoryControlsTest, SettingWhatIsShownAlreadyReportsNoChange) {
    Tree tree;
    Controls controls(tree.at("drive/pics"), tree.mountInfo);
    EXPECT_EQ(controls.c.Drive1->drive(), tree.at("drive"));
    EXPECT_TRUE(controls.c.Dir1->setPath(tree.at("drive/pics") + "/"));
    EXPECT_TRUE(controls.c.Drive1->setDrive(tree.at("drive/other")));
    const auto drives = controls.c.Drive1->drives();
    controls.userPicks(
        int(std::find(drives.begin(), drives.end(), tree.at("drive")) - drives.begin()));
    EXPECT_EQ(controls.dirChanges, 0);
    EXPECT_EQ(controls.driveChanges, 0);
}

}  // namespace
}  // namespace muralto::ui

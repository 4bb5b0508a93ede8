#include "ui/DirectoryControls.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListView>
#include <filesystem>

#include "tests/support/TestSupport.h"
#include "ui/FolderListModel.h"

namespace muralto::ui {
namespace {

namespace fs = std::filesystem;

/// A temporary tree with a mount table of its own: "/" real, <root>/drive a second real drive,
/// <root>/proc a pseudo file system, <root>/gone a drive whose mount point cannot be entered;
/// and the list and the drive box of one window on it, with every Change counted.
struct Controls {
    test::TempDir dir;
    fs::path root = fs::canonical(dir.path());
    std::string mountInfo = writeMountInfo();
    QWidget window;
    DirectoryControls c;
    int dirChanges = 0, driveChanges = 0;

    explicit Controls(const std::string& program)
        : c(makeDirectoryControls(&window, at(program), mountInfo)) {
        QObject::connect(c.Dir1, &DirListBox::Change, [this] { ++dirChanges; });
        QObject::connect(c.Drive1, &DriveListBox::Change, [this] { ++driveChanges; });
    }
    std::string writeMountInfo() {
        for (const char* folder : {"program", "pics/sub", "drive/pics", "drive/prog", "proc/self"})
            fs::create_directories(root / folder);
        const std::string table = "1 0 8:1 / / rw - ext4 a rw\n2 1 8:2 / " + at("drive") +
                                  " rw - ext4 d rw\n3 1 0:20 / " + at("proc") +
                                  " rw - proc proc rw\n4 1 8:4 / " + at("gone") +
                                  " rw - ext4 g rw\n";
        return dir.write("mountinfo", table).string();
    }
    std::string at(const std::string& relative) const {
        return relative == "/" || relative.empty() ? relative : (root / relative).string();
    }
    QString comboText() const { return c.Drive1->findChild<QComboBox*>()->currentText(); }
    /// Chooses a drive in the drive box as a user does.
    void userPicks(const std::string& drive) {
        const auto drives = c.Drive1->drives();
        const int index = int(std::find(drives.begin(), drives.end(), at(drive)) - drives.begin());
        auto* combo = c.Drive1->findChild<QComboBox*>();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
};

TEST(DirListTest, SetPathTakesListableFoldersAndRefusesMissingPseudoAndUnreadableOnes) {
    const struct {
        const char* path;  ///< below the tree's root
        bool accepted;
        const char* shown;
    } rows[] = {{"pics/", true, "pics"},
                {"none", false, "program"},
                {"proc/self", false, "program"},
                {"locked", false, "program"}};
    for (const auto& row : rows) {
        if (std::string(row.path) == "locked" && ::geteuid() == 0)
            continue;  // root reads any folder
        Controls controls("program");
        fs::create_directories(controls.root / "locked");
        fs::permissions(controls.root / "locked", fs::perms::none);
        DirListBox& list = *controls.c.Dir1;
        EXPECT_EQ(list.setPath(controls.at(row.path)), row.accepted) << row.path;
        EXPECT_EQ(list.path(), controls.at(row.shown));
        EXPECT_EQ(list.model().row(list.model().rowCount() - 1).path, list.path());
        EXPECT_EQ(controls.dirChanges, row.accepted ? 1 : 0) << row.path;
        EXPECT_EQ(controls.driveChanges, 0);
    }
}

TEST(DirListTest, OpeningAFolderShowsItSelectedAndReportsOneChange) {
    for (const int key : {0, int(Qt::Key_Return), int(Qt::Key_Enter)}) {  // 0: a double click
        const auto open = [key](QListView& view, const QModelIndex& index) {
            if (!key)
                return emit view.doubleClicked(index);
            view.setCurrentIndex(index);
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(&view, &event);
        };
        Controls controls("pics");
        ASSERT_TRUE(test::processUntil([&] { return controls.c.Dir1->listed(); }));
        auto* view = controls.c.Dir1->findChild<QListView*>();
        const FolderListModel& model = controls.c.Dir1->model();
        open(*view, model.index(model.rowCount() - 1));
        EXPECT_EQ(controls.c.Dir1->path(), controls.at("pics/sub"));
        EXPECT_EQ(controls.dirChanges, 1);
        view->setCurrentIndex(model.index(0));
        open(*view, model.index(model.currentRow() - 1));  // and back up by the folder above
        EXPECT_EQ(controls.c.Dir1->path(), controls.at("pics"));
        EXPECT_EQ(controls.dirChanges, 2);
        EXPECT_EQ(view->currentIndex().row(), model.currentRow());
    }
}

TEST(DriveListTest, CurrentDirectoryIsTheProgramsFolderElseTheLastShownElseTheMountPoint) {
    const struct {
        const char* program;
        std::vector<std::string> shown;  ///< folders the directory list shows in turn
        const char* expected;
    } rows[] = {{"drive/prog", {"drive/pics"}, "drive/prog"},
                {"program", {"drive/pics", "pics"}, "drive/pics"},
                {"program", {"pics"}, "drive"}};
    for (const auto& row : rows) {
        Controls controls(row.program);
        for (const std::string& folder : row.shown)
            ASSERT_TRUE(controls.c.Dir1->setPath(controls.at(folder))) << folder;
        ASSERT_TRUE(controls.c.Drive1->setDrive("/"));
        ASSERT_TRUE(controls.c.Drive1->setDrive(controls.at("drive/none/deeper")));  // its drive
        EXPECT_EQ(controls.comboText().toStdString(), controls.at("drive"));
        EXPECT_EQ(controls.c.Drive1->currentDirectory(), controls.at(row.expected));
    }
}

TEST(DriveListTest, APickedDriveShowsWhenReadyAndLeavesBothListsAloneWhenNot) {
    for (const bool ready : {true, false}) {
        Controls controls("pics");
        // As the page does: a drive change moves the directory list to that drive's folder.
        QObject::connect(controls.c.Drive1, &DriveListBox::Change,
                         [&] { controls.c.Dir1->setPath(controls.c.Drive1->currentDirectory()); });
        const std::string drive = ready ? "drive" : "gone";
        for (int attempt = 0; attempt < 2; ++attempt) {
            controls.userPicks(drive);
            EXPECT_EQ(controls.c.Drive1->drive(), ready ? controls.at(drive) : "/");
            EXPECT_EQ(controls.comboText().toStdString(), controls.c.Drive1->drive());
            EXPECT_EQ(controls.driveChanges, ready ? 1 : 0) << "attempt " << attempt;
            EXPECT_EQ(controls.c.Dir1->path(), controls.at(ready ? drive : "pics"));
        }
    }
}

TEST(DirectoryControlsTest, SettingWhatIsShownAlreadyReportsNoChange) {
    Controls controls("drive/pics");
    EXPECT_EQ(controls.c.Drive1->drive(), controls.at("drive"));
    EXPECT_TRUE(controls.c.Dir1->setPath(controls.at("drive/pics") + "/"));
    EXPECT_TRUE(controls.c.Drive1->setDrive(controls.at("drive/prog")));
    EXPECT_FALSE(controls.c.Drive1->setDrive(controls.at("proc/self")));  // no real drive
    controls.userPicks("drive");
    EXPECT_EQ(controls.dirChanges + controls.driveChanges, 0);
}

TEST(FolderListModelTest, AListingOfAShowingThatEndedIsDropped) {
    const auto listing = [](const char* name) {
        return std::vector<imaging::Subfolder>{{name, QString::fromUtf8(name)}};
    };
    FolderListModel model;
    const auto first = model.showFolder("/b");
    // The same folder shown again is a new showing: its earlier listing may be out of date.
    const auto again = model.showFolder("/b");
    EXPECT_FALSE(model.fill(first, listing("old")));
    EXPECT_FALSE(model.listed());
    ASSERT_TRUE(model.fill(again, listing("new")));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.row(2).path, "/b/new");
    EXPECT_FALSE(model.fill(again, listing("twice"))) << "one listing per showing";
}

}  // namespace
}  // namespace muralto::ui

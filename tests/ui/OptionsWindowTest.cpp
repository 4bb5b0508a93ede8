#include <gtest/gtest.h>

#include <unistd.h>

#include <QCloseEvent>
#include <QKeyEvent>
#include <vector>

#include "tests/ui/OptionsHarness.h"
#include "ui/TwipGeometry.h"

namespace muralto::ui::test {
namespace {

using Answer = platform::MessageBoxes::Answer;
using settings::RunMode;

/// The window of the wallpaper mode over a stored picture folder, shown.
struct ShownWindow : OptionsWindow {
    explicit ShownWindow(RunMode mode = RunMode::Wallpaper)
        : OptionsWindow(mode, [](OptionsWindow& w) { w.storePath(w.pictures() + "/"); }) {
        show();
    }
};

TEST(OptionsWindow, PreparesTheRunModeAndMarksEditsAndCorrectedValues) {
    const struct {
        RunMode mode;
        bool storedPathExists, edit, changed, saveEnabled;
    } rows[] = {{RunMode::Wallpaper, true, false, false, false},
                {RunMode::Wallpaper, false, false, true, true},
                {RunMode::Wallpaper, true, true, true, true},
                {RunMode::Options, true, false, false, true}};
    for (const auto& row : rows) {
        OptionsWindow window(row.mode, [&](OptionsWindow& w) {
            w.storePath(w.pictures() + (row.storedPathExists ? "/" : "/gone/"));
        });
        ImagePage& page = window.page();
        const bool wallpaper = row.mode == RunMode::Wallpaper;
        EXPECT_EQ(page.btnUpdate->isDefault(), wallpaper);
        EXPECT_EQ(page.chkStartupOnly->isVisibleTo(&page), wallpaper);
        window.show();
        if (row.edit)
            page.chkAddPath->toggle();
        EXPECT_EQ(window.form->edits().mbChanged, row.changed) << row.storedPathExists;
        EXPECT_EQ(page.btnSave->isEnabled(), row.saveEnabled) << row.storedPathExists;
    }
}

// A saver folder that had to be corrected on filling in is a change to save, as on the
// wallpaper tab: otherwise closing asks "Save Changes?" while Save is grey.
TEST(OptionsWindow, ACorrectedSaverFolderEnablesSave) {
    OptionsWindow window(RunMode::Wallpaper, [](OptionsWindow& w) {
        w.storePath(w.pictures() + "/");
        w.host.store("SSPath", w.pictures() + "/gone/");
    });
    window.show();
    ImagePage& page = window.page();
    ASSERT_FALSE(page.btnSave->isEnabled());
    window.selectTab(1);
    EXPECT_TRUE(window.form->edits().mbChanged);
    EXPECT_TRUE(page.btnSave->isEnabled());
}

TEST(OptionsWindow, EachTabKeepsItsEditsAndItsScaleRowUnderTheCheckBoxAboveIt) {
    OptionsWindow window(RunMode::Wallpaper, [](OptionsWindow& w) {
        w.storePath(w.pictures() + "/");
        w.host.store("SSDelay", "30");
    });
    window.show();
    ImagePage& page = window.page();
    page.tbxDelay->setText("77");

    window.selectTab(1);
    EXPECT_TRUE(window.host.saver);
    EXPECT_EQ(window.form->edits().mWallpaperEdit.Delay, 77);
    EXPECT_EQ(page.tbxDelay->text(), "30");
    EXPECT_TRUE(page.btnSave->isEnabled());
    EXPECT_FALSE(page.btnUpdate->isVisibleTo(&page));
    window.form->resize(window.form->size() + QSize(30, 40));  // laid out for this tab
    const options::TwipRect addPath = twipGeometry(*page.chkAddPath);
    EXPECT_EQ(twipGeometry(*page.lblScaleFactor).top, addPath.top + addPath.height + 135);

    page.tbxDelay->setText("31");
    window.selectTab(0);
    EXPECT_FALSE(window.host.saver);
    EXPECT_EQ(page.tbxDelay->text(), "77");
    EXPECT_EQ(window.form->edits().mSaverEdit.Delay, 31);
    EXPECT_EQ(window.host.saves, 0);  // nothing written before a save
}

TEST(Closing, YesSavesBothTabsOnceAndTheUnloadedWindowAsksNoMore) {
    ShownWindow window;
    window.page().tbxDelay->setText("77");
    window.selectTab(1);
    window.page().tbxDelay->setText("88");
    window.host.messageBoxes.answers = {Answer::Yes};
    window.form->close();
    ASSERT_EQ(window.host.messageBoxes.asked.size(), 1u);
    EXPECT_EQ(window.host.messageBoxes.asked[0].text, "Save Changes?");
    EXPECT_EQ(window.host.stored("Delay"), "77");
    EXPECT_EQ(window.host.stored("SSDelay"), "88");
    EXPECT_EQ(window.host.ends, 1);
    EXPECT_TRUE(window.form->unloaded());
    QCloseEvent closeBox;
    QCoreApplication::sendEvent(window.form.get(), &closeBox);
    window.host.EndProgram();
    EXPECT_EQ(window.host.messageBoxes.asked.size(), 1u);
}

TEST(PathBox, EnterMovesTheListsOrFallsBackAndSwallowsTheKey) {
    const struct {
        const char* typed;  ///< below the test's folder, unless relative
        bool absolute;
        const char* listedBelow;  ///< where the directory list ends, below the folder
        const char* textBelow;    ///< what the box then shows
        bool changed;
    } rows[] = {{"pictures/gone", true, "program", "program/", true},
                {"Photos", false, "pictures", "Photos", false}};
    for (const auto& row : rows) {
        ShownWindow window;
        ImagePage& page = window.page();
        const std::string base = window.dir.path().string() + "/";
        const std::string prefix = row.absolute ? base : "";
        page.setPathText(prefix + row.typed);
        window.form->edits().mbChanged = false;
        page.setDefaultButton(page.btnUpdate);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(page.tbxPath, &enter);
        EXPECT_EQ(page.Dir1->path(), base + row.listedBelow) << row.typed;
        EXPECT_EQ(page.pathText(), prefix + row.textBelow);
        EXPECT_EQ(window.form->edits().mbChanged, row.changed);
        EXPECT_EQ(window.host.updates, 0);  // the key went nowhere else
    }
}

TEST(PathBox, AStoredFileOrUnreadableFolderFallsBackToTheProgramsFolder) {
    for (const char* stored : {"file/", "locked/"}) {
        if (::geteuid() == 0 && std::string(stored) == "locked/")
            continue;  // root reads any folder
        OptionsWindow window(RunMode::Wallpaper, [&](OptionsWindow& w) {
            w.dir.write("file", "x");
            std::filesystem::create_directories(w.dir.path() / "locked");
            std::filesystem::permissions(w.dir.path() / "locked", std::filesystem::perms::none);
            w.storePath(w.dir.path().string() + "/" + stored);
        });
        EXPECT_EQ(window.page().pathText(), window.programDirectory() + "/") << stored;
        EXPECT_TRUE(window.form->edits().mbChanged) << stored;
        EXPECT_EQ(window.host.program.WallpaperSettings.Path,
                  window.dir.path().string() + "/" + stored);  // kept until a save
    }
}

TEST(OptionsWindow, TabMovesDownTheColumn) {
    OptionsWindow window(RunMode::Wallpaper);
    window.show();
    ImagePage& page = window.page();
    const std::vector<QWidget*> order = {
        page.tbxPath,        page.Dir1,           page.Drive1,   page.chkReScan, page.chkAddPath,
        page.chkStartupOnly, page.tbxScaleFactor, page.tbxDelay, page.btnUpdate, page.btnSave};
    const auto proxied = [](QWidget* w) { return w->focusProxy() ? w->focusProxy() : w; };
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget* next = proxied(order[i - 1])->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus)  // parts of a control take no focus
            next = next->nextInFocusChain();
        EXPECT_EQ(next, proxied(order[i])) << order[i - 1]->objectName().toStdString();
    }
}

}  // namespace
}  // namespace muralto::ui::test

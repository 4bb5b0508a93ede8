// The options window: loading in its run modes, the dirty flag, the tabs sharing the image
// page, the question on closing, the path box's Enter, and captions that fit.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <vector>

#include "tests/ui/OptionsHarness.h"
#include "ui/TwipGeometry.h"

namespace muralto::ui::test {
namespace {

using Answer = platform::MessageBoxes::Answer;
using settings::RunMode;

QStringList tabTexts(QTabBar& tabs) {
    QStringList texts;
    for (int i = 0; i < tabs.count(); ++i)
        texts << tabs.tabText(i);
    return texts;
}

QString selectedKey(QTabBar& tabs) {
    return tabs.tabData(tabs.currentIndex()).toString();
}

void pressEnter(QWidget& widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

struct LoadCase {
    const char* name;
    RunMode mode;
    const char* selected;
    bool updateShown;
    const char* saveText;
    bool saveEnabled;
    bool startupOnlyShown;
};

class FormLoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(FormLoadTest, PreparesTheWindowForTheRunMode) {
    const LoadCase& c = GetParam();
    OptionsWindow window(c.mode);
    frmMuralto& form = *window.form;
    ImagePage& page = window.page();
    EXPECT_EQ(form.windowTitle(), "Muralto 1.0");
    EXPECT_EQ(tabTexts(form.tsTabs()), QStringList({"Wallpaper Options", "Screen Saver Options"}));
    EXPECT_EQ(form.tsTabs().tabToolTip(0), "Wallpaper Options");
    EXPECT_EQ(selectedKey(form.tsTabs()), c.selected);
    EXPECT_FALSE(page.isVisibleTo(&form));  // the first resize brings it forward
    EXPECT_EQ(page.btnUpdate->isVisibleTo(&page), c.updateShown);
    EXPECT_EQ(page.btnSave->text(), c.saveText);
    EXPECT_EQ(page.btnSave->isEnabled(), c.saveEnabled);
    EXPECT_EQ(page.btnSave->isDefault(), c.mode == RunMode::Options);
    EXPECT_EQ(page.btnUpdate->isDefault(), c.mode != RunMode::Options);
    EXPECT_EQ(page.chkStartupOnly->isVisibleTo(&page), c.startupOnlyShown);
    EXPECT_TRUE(page.tbxDelay->text() == "60" && page.tbxScaleFactor->text() == "1");

    window.show();
    EXPECT_TRUE(page.isVisible());
    EXPECT_FALSE(form.picTabPage(2)->isVisible());
    EXPECT_EQ(window.host.saver, c.mode == RunMode::Options);
}

INSTANTIATE_TEST_SUITE_P(Modes, FormLoadTest,
                         testing::Values(LoadCase{"Wallpaper", RunMode::Wallpaper, "tbImage", true,
                                                  "&Save", false, true},
                                         LoadCase{"Options", RunMode::Options, "tbImageSS", false,
                                                  "&Ok", true, false}),
                         muralto::test::byName);

struct DirtyCase {
    const char* name;
    RunMode mode;
    bool storedPathExists;
    bool edit;
    bool changed;
    bool saveEnabled;
};

class DirtyFlagTest : public testing::TestWithParam<DirtyCase> {};

TEST_P(DirtyFlagTest, MarksEditsAndCorrectedValues) {
    const DirtyCase& c = GetParam();
    OptionsWindow window(c.mode, [&](OptionsWindow& w) {
        w.storePath(c.storedPathExists ? w.pictures() + "/" : w.pictures() + "/gone/");
    });
    window.show();
    if (c.edit)
        window.page().chkAddPath->toggle();
    EXPECT_EQ(window.form->edits().mbChanged, c.changed);
    EXPECT_EQ(window.page().btnSave->isEnabled(), c.saveEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirtyFlagTest,
    testing::Values(
        DirtyCase{"WallpaperStoredFolderExists", RunMode::Wallpaper, true, false, false, false},
        DirtyCase{"WallpaperStoredFolderGone", RunMode::Wallpaper, false, false, true, true},
        DirtyCase{"WallpaperEdited", RunMode::Wallpaper, true, true, true, true},
        DirtyCase{"OptionsStoredFolderExists", RunMode::Options, true, false, false, true},
        DirtyCase{"OptionsStoredFolderGone", RunMode::Options, false, false, true, true},
        DirtyCase{"OptionsEdited", RunMode::Options, true, true, true, true}),
    muralto::test::byName);

TEST(TabSwitch, KeepsTheEditsOfEachTabAndRefills) {
    OptionsWindow window(RunMode::Wallpaper, [](OptionsWindow& w) {
        w.storePath(w.pictures() + "/");
        w.host.store("SSDelay", "30");
    });
    window.show();
    ImagePage& page = window.page();
    page.tbxDelay->setText("77");

    window.selectTab(1);
    EXPECT_TRUE(window.host.saver);
    EXPECT_TRUE(window.form->edits().mWallpaperEdit.Valid);
    EXPECT_EQ(window.form->edits().mWallpaperEdit.Delay, 77);
    EXPECT_EQ(page.tbxDelay->text(), "30");
    EXPECT_TRUE(page.btnSave->isEnabled());
    EXPECT_FALSE(page.btnUpdate->isVisibleTo(&page));
    EXPECT_FALSE(page.chkStartupOnly->isVisibleTo(&page));

    page.tbxDelay->setText("31");
    window.selectTab(0);
    EXPECT_FALSE(window.host.saver);
    EXPECT_EQ(page.tbxDelay->text(), "77");
    EXPECT_EQ(window.form->edits().mSaverEdit.Delay, 31);
    EXPECT_TRUE(page.btnUpdate->isVisibleTo(&page));
    EXPECT_EQ(window.host.saves, 0);  // nothing written before a save
}

TEST(TabSwitch, TheScaleRowFollowsTheCheckBoxAboveIt) {
    OptionsWindow window(RunMode::Wallpaper);
    window.show();
    ImagePage& page = window.page();
    const auto below = [](const QWidget& anchor) {
        const options::TwipRect r = twipGeometry(anchor);
        return r.top + r.height + 135;
    };
    EXPECT_EQ(twipGeometry(*page.lblScaleFactor).top, below(*page.chkStartupOnly));
    window.selectTab(1);
    EXPECT_EQ(twipGeometry(*page.lblScaleFactor).top, below(*page.chkAddPath));
    EXPECT_EQ(twipGeometry(*page.tbxScaleFactor).top, below(*page.chkAddPath) - 45);
    window.form->resize(window.form->size() + QSize(30, 40));  // the layout on this tab
    EXPECT_EQ(twipGeometry(*page.lblScaleFactor).top, below(*page.chkAddPath));
    window.selectTab(0);
    EXPECT_EQ(twipGeometry(*page.lblScaleFactor).top, below(*page.chkStartupOnly));
}

struct CloseCase {
    const char* name;
    Answer answer;
    const char* storedDelay;
    const char* storedSaverDelay;
    bool closes;
};

class SaveChangesTest : public testing::TestWithParam<CloseCase> {};

TEST_P(SaveChangesTest, AsksOnceAndDoesWhatTheAnswerSays) {
    const CloseCase& c = GetParam();
    OptionsWindow window(RunMode::Wallpaper,
                         [](OptionsWindow& w) { w.storePath(w.pictures() + "/"); });
    window.show();
    window.page().tbxDelay->setText("77");
    window.selectTab(1);
    window.page().tbxDelay->setText("88");
    window.host.messageBoxes.answers = {c.answer};

    window.form->close();
    ASSERT_EQ(window.host.messageBoxes.asked.size(), 1u);
    EXPECT_EQ(window.host.messageBoxes.asked[0].title, "Muralto");
    EXPECT_EQ(window.host.messageBoxes.asked[0].text, "Save Changes?");
    EXPECT_EQ(window.host.stored("Delay"), c.storedDelay);
    EXPECT_EQ(window.host.stored("SSDelay"), c.storedSaverDelay);
    EXPECT_EQ(window.host.ends, c.closes ? 1 : 0);
    EXPECT_EQ(window.form->isVisible(), !c.closes);
    EXPECT_EQ(window.form->unloaded(), c.closes);

    // Whatever closes it next, the question is not asked again once the window unloaded.
    QCloseEvent closeBox;
    QCoreApplication::sendEvent(window.form.get(), &closeBox);
    window.host.EndProgram();
    EXPECT_EQ(window.host.messageBoxes.asked.size(), c.closes ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SaveChangesTest,
    testing::Values(CloseCase{"Yes", Answer::Yes, "77", "88", true},
                    CloseCase{"No", Answer::No, "<missing>", "<missing>", true},
                    CloseCase{"Cancel", Answer::Cancel, "<missing>", "<missing>", false}),
    muralto::test::byName);

TEST(Closing, WithoutEditsAsksNothing) {
    OptionsWindow window(RunMode::Wallpaper);
    window.show();
    EXPECT_FALSE(window.form->edits().mbChanged);
    window.form->close();
    EXPECT_TRUE(window.host.messageBoxes.asked.empty());
    EXPECT_EQ(window.host.ends, 1);
}

TEST(Closing, OkInTheOptionsModeSavesAndEndsWithoutAsking) {
    OptionsWindow window(RunMode::Options,
                         [](OptionsWindow& w) { w.storePath(w.pictures() + "/"); });
    window.show();
    window.page().btnSave->click();
    EXPECT_EQ(window.host.stored("SSDelay"), "60");
    EXPECT_EQ(window.host.stored("SSPath"), window.pictures() + "/");
    EXPECT_TRUE(window.host.messageBoxes.asked.empty());
    EXPECT_EQ(window.host.ends, 1);
    EXPECT_TRUE(window.form->unloaded());
}

TEST(Closing, ExitFromTheIconsMenuAsksAndCancelKeepsTheProgram) {
    OptionsWindow window(RunMode::Wallpaper,
                         [](OptionsWindow& w) { w.storePath(w.pictures() + "/"); });
    window.show();
    window.page().chkReScan->toggle();
    QAction* exit = window.form->mnuPopup().findChild<QAction*>("mnuExit");
    ASSERT_TRUE(exit);
    EXPECT_EQ(exit->text(), "&Exit Muralto");

    window.host.messageBoxes.answers = {Answer::Cancel, Answer::No};
    exit->trigger();
    EXPECT_EQ(window.host.ends, 0);
    exit->trigger();
    EXPECT_EQ(window.host.ends, 1);
    EXPECT_EQ(window.host.messageBoxes.asked.size(), 2u);
    EXPECT_EQ(window.host.stored("ReScan"), "<missing>");
}

TEST(Closing, AFailingWriteShowsTheRegistryErrorsAndTheWindowStillCloses) {
    OptionsWindow window(RunMode::Wallpaper,
                         [](OptionsWindow& w) { w.storePath(w.pictures() + "/"); });
    window.show();
    window.page().tbxDelay->setText("5");
    std::filesystem::remove(window.host.temp.hivePath);
    std::filesystem::create_directories(window.host.temp.hivePath);  // no file can go there
    window.host.messageBoxes.answers = {Answer::Yes};

    window.form->close();
    ASSERT_FALSE(window.host.messageBoxes.shown.empty());
    for (const auto& box : window.host.messageBoxes.shown)
        EXPECT_EQ(box.title, "Error accessing registry");
    EXPECT_EQ(window.host.ends, 1);
    EXPECT_FALSE(window.form->isVisible());
}

struct EnterCase {
    const char* name;
    const char* typed;  ///< below the test's folder; "" stands for the folder itself
    bool absolute;
    const char* listedBelow;  ///< where the directory list ends, below the folder
    const char* textBelow;    ///< what the box then shows, below the folder
    bool changed;
};

class PathEnterTest : public testing::TestWithParam<EnterCase> {};

TEST_P(PathEnterTest, MovesTheListsOrFallsBackAndSwallowsTheKey) {
    const EnterCase& c = GetParam();
    OptionsWindow window(RunMode::Wallpaper,
                         [](OptionsWindow& w) { w.storePath(w.pictures() + "/"); });
    window.show();
    ImagePage& page = window.page();
    const std::string base = window.dir.path().string() + "/";
    page.setPathText(c.absolute ? base + c.typed : std::string(c.typed));
    window.form->edits().mbChanged = false;
    page.setDefaultButton(page.btnUpdate);

    pressEnter(*page.tbxPath);
    EXPECT_EQ(page.Dir1->path(), base + c.listedBelow);
    EXPECT_EQ(page.pathText(), c.absolute ? base + c.textBelow : std::string(c.textBelow));
    EXPECT_EQ(window.form->edits().mbChanged, c.changed);
    EXPECT_EQ(window.host.updates, 0);  // the key went nowhere else
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PathEnterTest,
    testing::Values(EnterCase{"ExistingFolder", "program", true, "program", "program", true},
                    EnterCase{"ExistingWithSeparator", "program/", true, "program", "program",
                              true},
                    EnterCase{"MissingFolder", "pictures/gone", true, "program", "program/", true},
                    EnterCase{"Relative", "Photos", false, "pictures", "Photos", false}),
    muralto::test::byName);

struct FocusCase {
    const char* name;
    int tab;
    bool updateDefaultInside;  ///< while the path box has the focus
    bool saveDefaultAfter;     ///< once it lost it
};

class PathFocusTest : public testing::TestWithParam<FocusCase> {};

TEST_P(PathFocusTest, TheDefaultButtonStepsAsideWhileThePathBoxHasTheFocus) {
    const FocusCase& c = GetParam();
    OptionsWindow window(RunMode::Wallpaper);
    window.show();
    window.selectTab(c.tab);
    ImagePage& page = window.page();
    page.setDefaultButton(page.btnUpdate);
    QFocusEvent in(QEvent::FocusIn);
    QCoreApplication::sendEvent(page.tbxPath, &in);
    EXPECT_EQ(page.btnUpdate->isDefault(), c.updateDefaultInside);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(page.tbxPath, &out);
    EXPECT_EQ(page.btnSave->isDefault(), c.saveDefaultAfter);
    EXPECT_EQ(page.btnUpdate->isDefault(), !c.saveDefaultAfter);
}

INSTANTIATE_TEST_SUITE_P(Tabs, PathFocusTest,
                         testing::Values(FocusCase{"Wallpaper", 0, false, false},
                                         FocusCase{"ScreenSaver", 1, false, true}),
                         muralto::test::byName);

TEST(PathBytes, AFolderNameThatIsNotUtf8RoundTripsIntoTheSavedPath) {
    OptionsWindow window(RunMode::Wallpaper);
    const std::string folder = window.dir.path().string() + "/caf\xe9 \xff";
    std::filesystem::create_directories(folder);
    window.show();
    ImagePage& page = window.page();

    page.setPathText(folder);
    pressEnter(*page.tbxPath);
    EXPECT_EQ(page.Dir1->path(), folder);
    page.btnSave->click();
    EXPECT_EQ(window.host.stored("Path"), folder + "/");

    // And back: the stored bytes fill in unchanged, so nothing counts as edited.
    OptionsWindow again(RunMode::Wallpaper, [&](OptionsWindow& w) { w.storePath(folder + "/"); });
    EXPECT_EQ(again.page().pathText(), folder + "/");
    EXPECT_FALSE(again.form->edits().mbChanged);
}

TEST(PathBytes, AStoredFileOrUnreadableFolderFallsBackToTheProgramsFolder) {
    for (const char* stored : {"file/", "locked/", "pictures/gone/"}) {
        OptionsWindow window(RunMode::Wallpaper, [&](OptionsWindow& w) {
            w.dir.write("file", "x");
            std::filesystem::create_directories(w.dir.path() / "locked");
            std::filesystem::permissions(w.dir.path() / "locked", std::filesystem::perms::none);
            w.storePath(w.dir.path().string() + "/" + stored);
        });
        if (::geteuid() == 0 && std::string(stored) == "locked/")
            continue;  // root reads any folder
        EXPECT_EQ(window.page().pathText(), window.programDirectory() + "/") << stored;
        EXPECT_TRUE(window.form->edits().mbChanged) << stored;
        EXPECT_EQ(window.host.program.WallpaperSettings.Path,
                  window.dir.path().string() + "/" + stored);  // kept until a save
    }
}

TEST(Captions, FitTheirControlsAtTheDesignedSize) {
    OptionsWindow window(RunMode::Wallpaper);
    window.show();
    ImagePage& page = window.page();
    for (QCheckBox* box : page.findChildren<QCheckBox*>())
        EXPECT_LE(box->sizeHint().width(), box->width()) << box->objectName().toStdString();
    for (QLabel* label : page.findChildren<QLabel*>())
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
    for (QPushButton* button : page.findChildren<QPushButton*>()) {
        // The caption and the style's margins; the style's own least width for any button is
        // not a caption's need.
        const int margins =
            2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        const int text =
            button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&'));
        EXPECT_LE(text + margins, button->width()) << button->objectName().toStdString();
    }
    for (QLineEdit* edit : {page.tbxPath, page.tbxDelay, page.tbxScaleFactor})
        EXPECT_LE(edit->minimumSizeHint().height(), edit->height());
    EXPECT_EQ(page.lblDelay->buddy(), page.tbxDelay);
    EXPECT_EQ(page.lblScaleFactor->buddy(), page.tbxScaleFactor);
}

TEST(Captions, TabMovesDownTheColumn) {
    OptionsWindow window(RunMode::Wallpaper);
    window.show();
    ImagePage& page = window.page();
    const std::vector<QWidget*> order = {
        page.tbxPath,        page.Dir1,           page.Drive1,   page.chkReScan, page.chkAddPath,
        page.chkStartupOnly, page.tbxScaleFactor, page.tbxDelay, page.btnUpdate, page.btnSave};
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget* from = order[i - 1]->focusProxy() ? order[i - 1]->focusProxy() : order[i - 1];
        QWidget* next = from->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus)  // parts of a control take no focus
            next = next->nextInFocusChain();
        QWidget* expected = order[i]->focusProxy() ? order[i]->focusProxy() : order[i];
        EXPECT_EQ(next, expected) << order[i - 1]->objectName().toStdString();
    }
}

TEST(Minimising, HidesTheWindowOnlyWhileTheIconCanBringItBack) {
    for (const bool tray : {true, false}) {
        OptionsWindow window(tray ? RunMode::Wallpaper : RunMode::Options);
        window.host.tray = tray;
        window.show();
        window.form->setWindowState(Qt::WindowMinimized);
        if (tray) {
            EXPECT_TRUE(processUntil([&] { return !window.form->isVisible(); }));
            window.form->showFromIcon();
            EXPECT_TRUE(window.form->isVisible());
            EXPECT_TRUE(window.page().isVisible());
        } else {
            QCoreApplication::processEvents();
            EXPECT_TRUE(window.form->isVisible());
        }
    }
}

}  // namespace
}  // namespace muralto::ui::test

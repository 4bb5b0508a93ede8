#include <gtest/gtest.h>

#include <QWidget>

#include "tests/support/TestSupport.h"
#include "ui/QtPlacedWindow.h"

namespace muralto::ui {
namespace {

using settings::PixelRect;
using settings::PlacedWindow;

class QtPlacedWindowTest : public testing::Test {
protected:
    QtPlacedWindowTest() {
        window.setObjectName("frmMuralto");
        window.setGeometry(272, 126, 480, 360);
    }

    QWidget window;
    QtPlacedWindow placed{window, true};
};

TEST_F(QtPlacedWindowTest, MovesTheClientAreaOfTheScreensWindowWithOrWithoutItsSize) {
    EXPECT_EQ(placed.formName(), "frmMuralto");
    EXPECT_EQ(placed.twipsPerPixelY(), 15);
    EXPECT_EQ(placed.availableScreens(), (std::vector<PixelRect>{{0, 0, 1024, 768}}));
    window.show();
    placed.move(100, 50, settings::PixelSize{640, 480});
    EXPECT_EQ(window.geometry(), QRect(100, 50, 640, 480));
    placed.move(-20, 30, std::nullopt);
    EXPECT_EQ(placed.normalRect(), (PixelRect{-20, 30, 640, 480}));
}

struct StateCase {
    const char* name;
    Qt::WindowStates qt;  ///< the window's own state
    std::int32_t stored;  ///< the state saved for it
};

class QtWindowStates : public QtPlacedWindowTest, public testing::WithParamInterface<StateCase> {};

TEST_P(QtWindowStates, KeepTheNormalRectangle) {
    window.show();
    placed.move(100, 50, settings::PixelSize{640, 480});
    window.setWindowState(GetParam().qt);
    if (GetParam().qt == Qt::WindowMaximized || GetParam().qt == Qt::WindowFullScreen) {
        // Only once the window covers the screen does its current rectangle differ.
        EXPECT_TRUE(muralto::test::processUntil([&] { return window.width() > 640; }));
    }
    EXPECT_EQ(placed.windowState(), GetParam().stored);
    EXPECT_EQ(placed.normalRect(), (PixelRect{100, 50, 640, 480}));
}

INSTANTIATE_TEST_SUITE_P(
    States, QtWindowStates,
    testing::Values(StateCase{"Maximised", Qt::WindowMaximized, PlacedWindow::kMaximised},
                    StateCase{"Minimised", Qt::WindowMinimized, PlacedWindow::kMinimised},
                    StateCase{"MinimisedFromMaximised", Qt::WindowMinimized | Qt::WindowMaximized,
                              PlacedWindow::kMinimised},
                    StateCase{"FullScreen", Qt::WindowFullScreen, PlacedWindow::kNormal}),
    test::byName);

// As the stored placement is put back: the normal rectangle first, then the state.
TEST_F(QtPlacedWindowTest, AWindowMaximisedBeforeItIsShownKeepsItsNormalRectangle) {
    placed.move(100, 50, settings::PixelSize{640, 480});
    placed.setWindowState(PlacedWindow::kMaximised);
    window.show();
    ASSERT_TRUE(muralto::test::processUntil([&] { return window.isMaximized(); }));
    EXPECT_EQ(placed.normalRect(), (PixelRect{100, 50, 640, 480}));
    window.showNormal();
    ASSERT_TRUE(muralto::test::processUntil([&] { return !window.isMaximized(); }));
    EXPECT_EQ(window.geometry(), QRect(100, 50, 640, 480));
}

TEST_F(QtPlacedWindowTest, SettingAStateReplacesTheOneBefore) {
    window.show();
    window.setWindowState(Qt::WindowFullScreen);
    placed.setWindowState(PlacedWindow::kMaximised);
    EXPECT_EQ(window.windowState() & ~Qt::WindowActive, Qt::WindowMaximized);
    placed.setWindowState(PlacedWindow::kNormal);
    EXPECT_EQ(window.windowState() & ~Qt::WindowActive, Qt::WindowNoState);
}

}  // namespace
}  // namespace muralto::ui

#include <gtest/gtest.h>

#include <QWidget>

#include "tests/support/TestSupport.h"
#include "ui/QtPlacedWindow.h"

namespace muralto::ui {
namespace {

using muralto::test::processUntil;
using settings::PixelRect;
using settings::PlacedWindow;

class QtPlacedWindowTest : public testing::Test {
protected:
    QtPlacedWindowTest() { window.setGeometry(272, 126, 480, 360); }

    QWidget window;
    QtPlacedWindow placed{window, true};
};

TEST_F(QtPlacedWindowTest, AMaximisedWindowKeepsItsNormalRectangle) {
    window.show();
    placed.move(100, 50, settings::PixelSize{640, 480});
    window.setWindowState(Qt::WindowMaximized);
    EXPECT_TRUE(processUntil([&] { return window.width() > 640; }));
    EXPECT_EQ(placed.windowState(), PlacedWindow::kMaximised);
    EXPECT_EQ(placed.normalRect(), (PixelRect{100, 50, 640, 480}));
    window.setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
    EXPECT_EQ(placed.windowState(), PlacedWindow::kMinimised);
    EXPECT_EQ(placed.normalRect(), (PixelRect{100, 50, 640, 480}));
}

// As the stored placement is put back: the normal rectangle first, then the state.
TEST_F(QtPlacedWindowTest, AWindowMaximisedBeforeItIsShownKeepsItsNormalRectangle) {
    placed.move(100, 50, settings::PixelSize{640, 480});
    placed.setWindowState(PlacedWindow::kMaximised);
    window.show();
    ASSERT_TRUE(processUntil([&] { return window.isMaximized(); }));
    EXPECT_EQ(placed.normalRect(), (PixelRect{100, 50, 640, 480}));
    window.showNormal();
    ASSERT_TRUE(processUntil([&] { return !window.isMaximized(); }));
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

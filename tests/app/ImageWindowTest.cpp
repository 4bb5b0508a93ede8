// The image window as a widget: where its mouse movements are judged, how it ends, and what it
// leaves alone.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/CommandLine.h"
#include "app/frmImage.h"
#include "tests/support/TestSupport.h"

namespace muralto::app {
namespace {

using settings::RunMode;

struct RecordingHost : ImageWindowHost {
    RunMode runMode() const override { return mode; }
    void Form_MouseMove(double x, double y) override { moves.emplace_back(x, y); }
    void Form_Unload() override { ++unloads; }

    RunMode mode = RunMode::Saver;
    std::vector<QPointF> moves;
    int unloads = 0;
};

void moveOver(QWidget* widget, QPointF at) {
    QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

struct MoveCase {
    std::string name;
    RunMode mode;
    bool overPicture;  // over the picture box, else over the window itself
    QPointF at;
    std::vector<QPointF> judged;  // what reaches the program
};

class ImageWindowMoves : public testing::TestWithParam<MoveCase> {};

// The picture box stands at (100, 50): movements over it are judged where they lie in the
// window, and only the "/s" saver passes them on.
TEST_P(ImageWindowMoves, ReachTheProgramInWindowPixels) {
    RecordingHost host;
    host.mode = GetParam().mode;
    frmImage window(host);
    window.resize(640, 480);
    window.picStorage->setGeometry(100, 50, 200, 100);
    moveOver(GetParam().overPicture ? static_cast<QWidget*>(window.picStorage) : &window,
             GetParam().at);
    EXPECT_EQ(host.moves, GetParam().judged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImageWindowMoves,
    testing::Values(MoveCase{"PictureBoxOffset", RunMode::Saver, true, {10, 20}, {{110, 70}}},
                    MoveCase{"Window", RunMode::Saver, false, {7, 8}, {{7, 8}}},
                    MoveCase{"PictureBoxInPreview", RunMode::Preview, true, {10, 20}, {}}),
    muralto::test::byName);

// Closing the window by any means ends the program; keys and clicks do nothing.
TEST(ImageWindowTest, OnlyClosingItEndsTheProgram) {
    RecordingHost host;
    frmImage window(host);
    window.show();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &click);
    EXPECT_EQ(host.unloads, 0);
    EXPECT_TRUE(host.moves.empty());
    window.close();
    EXPECT_EQ(host.unloads, 1);
}

}  // namespace
}  // namespace muralto::app

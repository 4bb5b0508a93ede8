// The image window as a widget: where its mouse movements are judged and how it ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/frmImage.h"

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

// The picture box stands at (100, 50): movements over it are judged where they lie in the
// window, and only the "/s" saver passes them on.
TEST(ImageWindowTest, MovesReachTheProgramInWindowPixels) {
    struct Case {
        RunMode mode;
        bool overPicture;  // over the picture box, else over the window itself
        QPointF at;
        std::vector<QPointF> judged;  // what reaches the program
    };
    for (const Case& c : {Case{RunMode::Saver, true, {10, 20}, {{110, 70}}},
                          Case{RunMode::Saver, false, {7, 8}, {{7, 8}}},
                          Case{RunMode::Preview, true, {10, 20}, {}}}) {
        RecordingHost host;
        host.mode = c.mode;
        frmImage window(host);
        window.resize(640, 480);
        window.picStorage->setGeometry(100, 50, 200, 100);
        QWidget* over = c.overPicture ? static_cast<QWidget*>(window.picStorage) : &window;
        QMouseEvent event(QEvent::MouseMove, c.at, over->mapToGlobal(c.at), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(over, &event);
        EXPECT_EQ(host.moves, c.judged) << c.at.x();
    }
}

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

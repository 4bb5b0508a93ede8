// The app tests run on Qt's offscreen platform with a fixed 1024x768 screen at 96 DPI.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" MURALTO_TEST_SCREEN_CONFIG);
    QApplication app(argc, argv);  // the options window is a widget
    return RUN_ALL_TESTS();
}

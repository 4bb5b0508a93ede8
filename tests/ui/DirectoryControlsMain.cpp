// The drive list and directory list tests run on Qt's offscreen platform with a fixed
// 1024x768 screen at 96 DPI.

#include <gtest/gtest.h>

#include <QApplication>

#include "TestSupport.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    muralto::test::useOffscreenScreen();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

// The app tests run on Qt's offscreen platform with a fixed 1024x768 screen at 96 DPI.

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "TestSupport.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    muralto::test::useOffscreenScreen();
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

// The main of every test program that builds widgets: Qt's offscreen platform with one fixed
// 1024x768 screen, at 96 DPI or at the DPI the target's build gives (MURALTO_TEST_DPI).

#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/TestSupport.h"

#ifndef MURALTO_TEST_DPI
#define MURALTO_TEST_DPI 96
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    muralto::test::useOffscreenScreen(MURALTO_TEST_DPI);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

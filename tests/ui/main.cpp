// The options window tests run on Qt's offscreen platform with one fixed screen, at 96 DPI or
// at the DPI the build gives (MURALTO_TEST_DPI).

#include <gtest/gtest.h>

#include <QApplication>

#include "TestSupport.h"

#ifndef MURALTO_TEST_DPI
#define MURALTO_TEST_DPI 96
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    muralto::test::useOffscreenScreen(MURALTO_TEST_DPI);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

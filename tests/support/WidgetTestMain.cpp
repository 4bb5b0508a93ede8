// The main of every test program that builds widgets: Qt's offscreen platform with one 1024x768
// screen at 96 DPI or, with as many more pixels, at MURALTO_TEST_DPI (Qt itself does not scale).

#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/TestSupport.h"

#ifndef MURALTO_TEST_DPI
#define MURALTO_TEST_DPI 96
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const muralto::test::TempDir dir;
    const int dpi = MURALTO_TEST_DPI;
    const auto config = dir.write(
        "screen.json",
        R"({"screens":[{"name":"s","x":0,"y":0,"width":)" + std::to_string(1024 * dpi / 96) +
            R"(,"height":)" + std::to_string(768 * dpi / 96) + R"(,"logicalDpi":)" +
            std::to_string(dpi) + R"(,"logicalBaseDpi":)" + std::to_string(dpi) + R"(,"dpr":1}]})");
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str());
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

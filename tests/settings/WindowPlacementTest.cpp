#include <gtest/gtest.h>

#include <sstream>

#include "settings/WindowPlacement.h"
#include "tests/support/TempHive.h"

namespace muralto::settings {
namespace {

constexpr PixelRect kScreen{0, 0, 1024, 768};
constexpr PixelRect kSecondScreen{1024, 0, 1280, 1024};
constexpr PixelRect kDesigned{272, 126, 480, 360};  // centred on kScreen
constexpr PixelRect kStoredRect{100, 50, 640, 480};
const char* const kSection = "Windows\\frmMuralto";
const char* const kValues[] = {"WindowState", "WindowLeft", "WindowTop", "WindowWidth",
                               "WindowHeight"};

/// A window that records how it was placed.
struct FakeWindow : PlacedWindow {
    std::string formName() const override { return "frmMuralto"; }
    std::int32_t windowState() const override { return state; }
    void setWindowState(std::int32_t s) override {
        state = s;
        log += "state;";
    }
    bool sizable() const override { return isSizable; }
    PixelRect normalRect() const override { return rect; }
    double twipsPerPixelX() const override { return perX; }
    double twipsPerPixelY() const override { return perY; }
    std::vector<PixelRect> availableScreens() const override { return screens; }
    void move(int left, int top, std::optional<PixelSize> size) override {
        rect = {left, top, size ? size->width : rect.width, size ? size->height : rect.height};
        log += size ? "move+size;" : "move;";
    }

    std::int32_t state = kNormal;
    bool isSizable = true;
    PixelRect rect = kDesigned;
    double perX = 15, perY = 15;
    std::vector<PixelRect> screens = std::vector<PixelRect>(1, kScreen);
    std::string log;
};

struct RestoreCase {
    const char* name;
    const char* stored;  ///< state, left, top, width and height in twips; "" stores nothing
    PixelRect rect;      ///< the window's normal rectangle afterwards
    std::int32_t state;  ///< its state afterwards: 0 normal, 2 maximised
    std::vector<PixelRect> screens{kScreen};
    bool sizable = true;
    double perX = 15, perY = 15;
};

const std::vector<PixelRect> kTwoScreens{kScreen, kSecondScreen};

class RestorePlacement : public testing::TestWithParam<RestoreCase>, protected test::TempHive {};

TEST_P(RestorePlacement, PutsBackWhatTheUserCanReach) {
    const RestoreCase& c = GetParam();
    std::istringstream values(c.stored);
    std::string value;
    for (const char* name : kValues) {
        if (values >> value)
            store(kSection, name, value);
    }
    FakeWindow form;
    form.isSizable = c.sizable;
    form.perX = c.perX;
    form.perY = c.perY;
    form.screens = c.screens;

    RestoreWindowPlacement(form, tools);
    EXPECT_EQ(form.rect, c.rect);
    EXPECT_EQ(form.state, c.state);
    // The state comes after the move, so a maximised window keeps the stored normal rectangle;
    // a window kept as designed is not touched at all.
    const char* moves = c.sizable ? "move+size;state;" : "move;state;";
    EXPECT_EQ(form.log, c.rect == kDesigned ? "" : moves);
}

const RestoreCase kRestoreCases[] = {
    {"Normal", "0 1500 750 9600 7200", kStoredRect, 0},
    {"Maximised", "2 1500 750 9600 7200", kStoredRect, 2},
    {"MinimisedOpensNormal", "1 1500 750 9600 7200", kStoredRect, 0},
    {"FixedBorderKeepsItsSize", "0 1500 750 9600 7200", {100, 50, 480, 360}, 0, {kScreen}, false},
    {"NoKey", "", kDesigned, 0},
    {"WidthNegative", "2 1500 750 -9600 7200", kDesigned, 0},
    {"WidthBelowOnePixelKeepsDesignedWidth", "0 1500 750 7 7200", {100, 50, 480, 480}, 0},
    {"HugeCutToLargestScreen", "0 0 0 2147483647 2147483647", {0, 0, 1280, 1024}, 0, kTwoScreens},
    // A rectangle that only touches the screen's edge cannot be reached.
    {"LeftOfTheScreenKeepsDesign", "2 -9600 750 9600 7200", kDesigned, 0},
    {"RightOfTheScreenKeepsDesign", "2 15360 750 9600 7200", kDesigned, 0},
    {"BelowTheScreenKeepsDesign", "2 1500 11520 9600 7200", kDesigned, 0},
    {"FixedAboveTheScreenKeepsDesign", "0 1500 -5400 99999 99999", kDesigned, 0, {kScreen}, false},
    {"PartlyLeftOfTheScreen", "2 -9585 750 9600 7200", {-639, 50, 640, 480}, 2},
    {"SecondMonitor", "2 19200 750 9600 7200", {1280, 50, 640, 480}, 2, kTwoScreens},
    {"AxesApart", "0 1500 500 9600 4800", kStoredRect, 0, {kScreen}, true, 15, 10},
    {"HalvesToEven", "0 1005 1015 6405 4815", {100, 102, 640, 482}, 0, {kScreen}, true, 10, 10},
};

INSTANTIATE_TEST_SUITE_P(Stored, RestorePlacement, testing::ValuesIn(kRestoreCases), test::byName);

class SavePlacement : public testing::Test, protected test::TempHive {};

TEST_F(SavePlacement, StoresTheStateAndTheNormalRectangleInTwips) {
    struct Case {
        PixelRect rect;
        std::int32_t state;
        double perX, perY;
        const char* stored;
    };
    for (const Case& c :
         {Case{kStoredRect, PlacedWindow::kMinimised, 15, 15, "1 1500 750 9600 7200"},
          Case{{-101, 103, 641, 479}, 0, 7.5, 7.5, "0 -758 772 4808 3592"},
          Case{kStoredRect, 2, 15, 10, "2 1500 500 9600 4800"}}) {
        FakeWindow form;
        form.rect = c.rect;
        form.state = c.state;
        form.perX = c.perX;
        form.perY = c.perY;
        SaveWindowPlacement(form, tools);
        std::string all;
        for (const char* name : kValues)
            all += (all.empty() ? "" : " ") + stored(kSection, name);
        EXPECT_EQ(all, c.stored);
    }
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace muralto::settings

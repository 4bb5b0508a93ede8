#include <gtest/gtest.h>

#include "platform/HiveFile.h"
#include "platform/ProgramIdentity.h"
#include "settings/WindowPlacement.h"
#include "tests/support/Fakes.h"
#include "tests/support/TestSupport.h"

namespace muralto::settings {

using platform::kProgramTitle;

namespace {

constexpr PixelRect kScreen{0, 0, 1024, 768};
constexpr PixelRect kDesigned{272, 126, 480, 360};  // centred on kScreen

/// A window that records how it was placed.
class FakeWindow : public PlacedWindow {
public:
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
        rect.left = left;
        rect.top = top;
        if (size) {
            rect.width = size->width;
            rect.height = size->height;
        }
        log += size ? "move+size;" : "move;";
    }

    std::int32_t state = PlacedWindow::kNormal;
    bool isSizable = true;
    PixelRect rect = kDesigned;
    double perX = 15;
    double perY = 15;
    std::vector<PixelRect> screens{kScreen};
    std::string log;
};

/// Passes everything to the hive and records the names of the values written, in order;
/// fails every write when told to.
class RecordingRegistry : public platform::Registry {
public:
    explicit RecordingRegistry(platform::Registry& inner) : inner_(inner) {}

    int openKey(platform::RootKey root, std::string_view path) override {
        return inner_.openKey(root, path);
    }
    int queryValue(platform::RootKey root, std::string_view path, std::string_view name,
                   std::string& data) override {
        return inner_.queryValue(root, path, name, data);
    }
    int setValue(platform::RootKey root, std::string_view path, std::string_view name,
                 std::string_view data) override {
        written.push_back(std::string(path) + " " + std::string(name));
        return failWrites ? EACCES : inner_.setValue(root, path, name, data);
    }
    int enumSubKeys(platform::RootKey root, std::string_view path,
                    std::vector<std::string>& names) override {
        return inner_.enumSubKeys(root, path, names);
    }
    int deleteKey(platform::RootKey root, std::string_view path) override {
        return inner_.deleteKey(root, path);
    }
    std::string errorText(int code) override { return inner_.errorText(code); }

    std::vector<std::string> written;
    bool failWrites = false;

private:
    platform::Registry& inner_;
};

class PlacementStore : protected test::TempRegistry {
protected:
    RecordingRegistry recording{registry};
    test::FakeMessageBoxes boxes;
    RegistryTools tools{recording, boxes};

    void store(std::string_view name, std::string_view value) {
        tools.PutINIValue(kProgramTitle, "Windows\\frmMuralto", name, value);
    }
    std::string stored(std::string_view name) {
        return tools.GetINIValue(kProgramTitle, "Windows\\frmMuralto", name, "<missing>");
    }
};

using Values = std::vector<std::pair<std::string, std::string>>;

/// State, left, top, width and height as stored, in twips.
Values placement(const char* state, const char* left, const char* top, const char* width,
                 const char* height) {
    return {{"WindowState", state},
            {"WindowLeft", left},
            {"WindowTop", top},
            {"WindowWidth", width},
            {"WindowHeight", height}};
}

struct RestoreCase {
    const char* name;
    Values stored;
    PixelRect rect;      ///< the window's normal rectangle afterwards
    std::int32_t state;  ///< its state afterwards
    bool sizable = true;
    double perX = 15;
    double perY = 15;
    std::vector<PixelRect> screens{kScreen};
};

class RestorePlacement : public testing::TestWithParam<RestoreCase>, protected PlacementStore {};

TEST_P(RestorePlacement, PutsBackWhatTheUserCanReach) {
    const RestoreCase& c = GetParam();
    for (const auto& [name, value] : c.stored)
        store(name, value);
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

const PixelRect kStoredRect{100, 50, 640, 480};
const PixelRect kSecondScreen{1024, 0, 1280, 1024};

const RestoreCase kRestoreCases[] = {
    {"Normal", placement("0", "1500", "750", "9600", "7200"), kStoredRect, 0},
    {"Maximised", placement("2", "1500", "750", "9600", "7200"), kStoredRect, 2},
    {"MinimisedOpensNormal", placement("1", "1500", "750", "9600", "7200"), kStoredRect, 0},
    {"UnknownStateOpensNormal", placement("7", "1500", "750", "9600", "7200"), kStoredRect, 0},
    {"FixedBorderKeepsItsSize",
     placement("0", "1500", "750", "9600", "7200"),
     {100, 50, 480, 360},
     0,
     false},
    {"NoKey", {}, kDesigned, 0},
    {"NoWidth", {{"WindowLeft", "1500"}, {"WindowState", "2"}}, kDesigned, 0},
    {"WidthZero", placement("2", "1500", "750", "0", "7200"), kDesigned, 0},
    {"WidthNegative", placement("2", "1500", "750", "-9600", "7200"), kDesigned, 0},
    {"WidthGarbage", placement("2", "1500", "750", "wide", "7200"), kDesigned, 0},
    {"WidthBeyond32Bits", placement("2", "1500", "750", "99999999999", "7200"), kDesigned, 0},
    {"LeftGarbageIsZero", placement("0", "left", "750", "9600", "7200"), {0, 50, 640, 480}, 0},
    {"HeightNegativeKeepsDesignedHeight",
     placement("0", "1500", "750", "9600", "-7200"),
     {100, 50, 640, 360},
     0},
    {"WidthBelowOnePixelKeepsDesignedWidth",
     placement("0", "1500", "750", "7", "7200"),
     {100, 50, 480, 480},
     0},
    {"HugeSizeCutToTheScreen",
     placement("0", "0", "0", "2147483647", "2147483647"),
     {0, 0, 1024, 768},
     0},
    {"HugeSizeCutToTheLargestScreen",
     placement("0", "0", "0", "2147483647", "2147483647"),
     {0, 0, 1280, 1024},
     0,
     true,
     15,
     15,
     {kScreen, kSecondScreen}},
    {"HugePositionKeepsDesign", placement("2", "2147483647", "2147483647", "9600", "7200"),
     kDesigned, 0},
    {"LeftOfTheScreenKeepsDesign", placement("2", "-9600", "750", "9600", "7200"), kDesigned, 0},
    {"RightOfTheScreenKeepsDesign", placement("2", "15360", "750", "9600", "7200"), kDesigned, 0},
    {"BelowTheScreenKeepsDesign", placement("2", "1500", "11520", "9600", "7200"), kDesigned, 0},
    {"FixedBorderAboveTheScreenKeepsDesign", placement("0", "1500", "-5400", "99999", "99999"),
     kDesigned, 0, false},
    {"PartlyLeftOfTheScreen",
     placement("2", "-9585", "750", "9600", "7200"),
     {-639, 50, 640, 480},
     2},
    {"PartlyBelowTheScreen",
     placement("0", "1500", "11505", "9600", "7200"),
     {100, 767, 640, 480},
     0},
    {"GoneMonitorKeepsDesign", placement("2", "19200", "750", "9600", "7200"), kDesigned, 0},
    {"SecondMonitor",
     placement("2", "19200", "750", "9600", "7200"),
     {1280, 50, 640, 480},
     2,
     true,
     15,
     15,
     {kScreen, kSecondScreen}},
    {"NoScreenKeepsDesign",
     placement("0", "1500", "750", "9600", "7200"),
     kDesigned,
     0,
     true,
     15,
     15,
     {}},
    {"At192Dpi", placement("2", "750", "375", "4800", "3600"), kStoredRect, 2, true, 7.5, 7.5},
    {"AxesApart", placement("0", "1500", "500", "9600", "4800"), kStoredRect, 0, true, 15, 10},
    {"HalvesToEven",
     placement("0", "1005", "1015", "6405", "4815"),
     {100, 102, 640, 482},
     0,
     true,
     10,
     10},
};

INSTANTIATE_TEST_SUITE_P(Stored, RestorePlacement, testing::ValuesIn(kRestoreCases), test::byName);

struct SaveCase {
    const char* name;
    PixelRect rect;
    std::int32_t state;
    double perX, perY;
    Values stored;
};

class SavePlacement : public testing::TestWithParam<SaveCase>, protected PlacementStore {};

TEST_P(SavePlacement, StoresTheNormalRectangleInTwips) {
    const SaveCase& c = GetParam();
    FakeWindow form;
    form.rect = c.rect;
    form.state = c.state;
    form.perX = c.perX;
    form.perY = c.perY;

    SaveWindowPlacement(form, tools);
    for (const auto& [name, value] : c.stored)
        EXPECT_EQ(stored(name), value) << name;
    EXPECT_TRUE(boxes.shown.empty());
}

const SaveCase kSaveCases[] = {
    {"Normal", kStoredRect, 0, 15, 15, placement("0", "1500", "750", "9600", "7200")},
    {"Maximised", kStoredRect, 2, 15, 15, placement("2", "1500", "750", "9600", "7200")},
    {"Minimised", kStoredRect, 1, 15, 15, placement("1", "1500", "750", "9600", "7200")},
    {"LeftOfTheScreen",
     {-100, -50, 640, 480},
     0,
     15,
     15,
     placement("0", "-1500", "-750", "9600", "7200")},
    {"At192DpiHalvesToEven",
     {101, 103, 641, 479},
     0,
     7.5,
     7.5,
     placement("0", "758", "772", "4808", "3592")},
    {"AxesApart", kStoredRect, 0, 15, 10, placement("0", "1500", "500", "9600", "4800")},
};

INSTANTIATE_TEST_SUITE_P(Windows, SavePlacement, testing::ValuesIn(kSaveCases), test::byName);

struct Resolution {
    const char* name;
    double twipsPerPixel;
};

class PlacementRoundTrip : public testing::TestWithParam<Resolution>, protected PlacementStore {};

TEST_P(PlacementRoundTrip, GivesTheSameRectangleRunAfterRun) {
    const double perPixel = GetParam().twipsPerPixel;
    FakeWindow first;
    first.perX = first.perY = perPixel;
    first.rect = {101, 37, 643, 479};
    first.state = PlacedWindow::kMaximised;
    PixelRect previous = first.rect;
    SaveWindowPlacement(first, tools);
    for (int run = 0; run < 3; ++run) {
        FakeWindow next;
        next.perX = next.perY = perPixel;
        RestoreWindowPlacement(next, tools);
        EXPECT_EQ(next.rect, previous) << "run " << run;
        EXPECT_EQ(next.state, PlacedWindow::kMaximised);
        SaveWindowPlacement(next, tools);
        previous = next.rect;
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, PlacementRoundTrip,
                         testing::Values(Resolution{"Dpi96", 15}, Resolution{"Dpi120", 12},
                                         Resolution{"Dpi144", 10}, Resolution{"Dpi192", 7.5}),
                         test::byName);

class PlacementWrites : public testing::Test, protected PlacementStore {};

TEST_F(PlacementWrites, WritesTheValuesInOrderAndReportsEachFailure) {
    FakeWindow form;
    recording.failWrites = true;
    SaveWindowPlacement(form, tools);
    const std::string key = "Software\\Brenwick\\Muralto\\Windows\\frmMuralto ";
    EXPECT_EQ(recording.written,
              (std::vector<std::string>{key + "WindowState", key + "WindowLeft", key + "WindowTop",
                                        key + "WindowWidth", key + "WindowHeight"}));
    ASSERT_EQ(boxes.shown.size(), 5u);
    for (const auto& box : boxes.shown)
        EXPECT_EQ(box.title, kRegistryErrorTitle);

    RestoreWindowPlacement(form, tools);  // nothing was stored: the window stays as designed
    EXPECT_EQ(form.rect, kDesigned);
    EXPECT_EQ(form.log, "");
}

}  // namespace
}  // namespace muralto::settings

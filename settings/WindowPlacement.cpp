#include "settings/WindowPlacement.h"

#include <algorithm>

#include "platform/ProgramIdentity.h"
#include "settings/Conversions.h"
#include "settings/Twips.h"

namespace muralto::settings {

using platform::kProgramTitle;

namespace {

constexpr std::string_view kStateValue = "WindowState";
constexpr std::string_view kLeftValue = "WindowLeft";
constexpr std::string_view kTopValue = "WindowTop";
constexpr std::string_view kWidthValue = "WindowWidth";
constexpr std::string_view kHeightValue = "WindowHeight";

/// The stored values in twips, each 0 when missing or unreadable.
struct StoredPlacement {
    std::int32_t state = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

/// A rectangle in pixels wide enough for any stored value at any resolution.
struct Span {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

StoredPlacement readPlacement(RegistryTools& tools, const std::string& section) {
    const auto number = [&](std::string_view name) {
        return readNumber(tools.GetINIValue(kProgramTitle, section, name, "0")).value_or(0);
    };
    StoredPlacement p;
    p.state = number(kStateValue);
    p.left = number(kLeftValue);
    p.top = number(kTopValue);
    p.width = number(kWidthValue);
    p.height = number(kHeightValue);
    return p;
}

bool overlaps(const Span& r, const PixelRect& screen) {
    return r.left < screen.left + std::int64_t{screen.width} && screen.left < r.left + r.width &&
           r.top < screen.top + std::int64_t{screen.height} && screen.top < r.top + r.height;
}

bool reachable(const Span& r, const std::vector<PixelRect>& screens) {
    return std::any_of(screens.begin(), screens.end(),
                       [&](const PixelRect& s) { return overlaps(r, s); });
}

/// A stored size: below one pixel the designed size stays, above the largest screen it is cut.
std::int64_t saneSize(std::int64_t stored, int designed, int largest) {
    if (stored < 1)
        return designed;
    return std::min<std::int64_t>(stored, largest);
}

/// The rectangle the stored values ask for, in pixels. A fixed window keeps its designed size.
Span wantedRect(const PlacedWindow& form, const StoredPlacement& p,
                const std::vector<PixelRect>& screens) {
    const double perX = form.twipsPerPixelX();
    const double perY = form.twipsPerPixelY();
    const PixelRect designed = form.normalRect();
    Span r{twipsToPixels(p.left, perX), twipsToPixels(p.top, perY), designed.width,
           designed.height};
    if (form.sizable()) {
        int widest = 0;
        int tallest = 0;
        for (const PixelRect& s : screens) {
            widest = std::max(widest, s.width);
            tallest = std::max(tallest, s.height);
        }
        r.width = saneSize(twipsToPixels(p.width, perX), designed.width, widest);
        r.height = saneSize(twipsToPixels(p.height, perY), designed.height, tallest);
    }
    return r;
}

}  // namespace

std::string windowSection(std::string_view formName) {
    return std::string("Windows\\").append(formName);
}

void RestoreWindowPlacement(PlacedWindow& form, RegistryTools& tools) {
    const StoredPlacement stored = readPlacement(tools, windowSection(form.formName()));
    if (stored.width <= 0)
        return;
    // A monitor that has gone away leaves a rectangle nobody can reach: keep the designed one.
    const std::vector<PixelRect> screens = form.availableScreens();
    const Span r = wantedRect(form, stored, screens);
    if (!reachable(r, screens))
        return;
    std::optional<PixelSize> size;
    if (form.sizable())
        size = PixelSize{static_cast<int>(r.width), static_cast<int>(r.height)};
    form.move(static_cast<int>(r.left), static_cast<int>(r.top), size);
    // The program was started to be seen: a window stored minimised opens normal, as one that
    // went to the notification area would otherwise start hidden or as a bare task-bar entry.
    form.setWindowState(stored.state == PlacedWindow::kMaximised ? PlacedWindow::kMaximised
                                                                 : PlacedWindow::kNormal);
}

void SaveWindowPlacement(PlacedWindow& form, RegistryTools& tools) {
    const std::string section = windowSection(form.formName());
    const PixelRect r = form.normalRect();
    const double perX = form.twipsPerPixelX();
    const double perY = form.twipsPerPixelY();
    const auto put = [&](std::string_view name, std::int64_t value) {
        tools.PutINIValue(kProgramTitle, section, name, numberText(value));
    };
    put(kStateValue, form.windowState());
    put(kLeftValue, pixelsToTwips(r.left, perX));
    put(kTopValue, pixelsToTwips(r.top, perY));
    put(kWidthValue, pixelsToTwips(r.width, perX));
    put(kHeightValue, pixelsToTwips(r.height, perY));
}

}  // namespace muralto::settings

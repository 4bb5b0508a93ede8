#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/RegistryTools.h"

namespace muralto::settings {

/// A rectangle on the desktop in pixels: its top-left corner and its size.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PixelRect&) const = default;
};

/// A window's size in pixels.
struct PixelSize {
    int width = 0;
    int height = 0;

    bool operator==(const PixelSize&) const = default;
};

/// A top-level window whose placement is kept between runs, as the placement code sees it.
class PlacedWindow {
public:
    /// The stored window states.
    static constexpr std::int32_t kNormal = 0;
    static constexpr std::int32_t kMinimised = 1;
    static constexpr std::int32_t kMaximised = 2;

    virtual ~PlacedWindow() = default;

    /// The name the placement is stored under.
    virtual std::string formName() const = 0;
    /// kNormal, kMinimised or kMaximised.
    virtual std::int32_t windowState() const = 0;
    virtual void setWindowState(std::int32_t state) = 0;
    /// Whether the user may resize the window; a fixed window keeps its designed size.
    virtual bool sizable() const = 0;
    /// The rectangle the window has, or gets back, in its normal state: also while it is
    /// minimised or maximised.
    virtual PixelRect normalRect() const = 0;
    /// The screen's twips per pixel across and down.
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;
    /// The area each screen leaves to windows (without panels and docks).
    virtual std::vector<PixelRect> availableScreens() const = 0;
    /// Puts the window's normal rectangle at left, top; with a width and height also sizes it.
    virtual void move(int left, int top, std::optional<PixelSize> size) = 0;
};

/// The section of the program's key that holds a form's placement.
std::string windowSection(std::string_view formName);

/// Puts back the placement stored under the form's name: the normal rectangle (its size only
/// for a sizable window) and then the state. Nothing happens without a stored width above 0,
/// or when the rectangle lies wholly outside every screen: the window keeps its designed
/// placement and state. A window stored minimised opens in its normal state. A size below one
/// pixel keeps the designed size; one larger than every screen is cut to the largest screen.
void RestoreWindowPlacement(PlacedWindow& form, RegistryTools& tools);

/// Stores the window's state and its normal rectangle in twips, halves to even.
void SaveWindowPlacement(PlacedWindow& form, RegistryTools& tools);

}  // namespace muralto::settings

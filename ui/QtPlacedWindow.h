#pragma once

#include <QWidget>

#include "settings/WindowPlacement.h"

namespace muralto::ui {

/// A top-level QWidget as a window whose placement is kept. The rectangle is the client area
/// (QWidget::geometry, without the window manager's frame): it is what Qt places exactly, before
/// the frame is known and under every window manager, so a saved rectangle comes back unchanged
/// and the window cannot grow by its frame from run to run.
class QtPlacedWindow : public settings::PlacedWindow {
public:
    /// window must outlive this object; the form name is its objectName().
    QtPlacedWindow(QWidget& window, bool sizable) : window_(window), sizable_(sizable) {}

    std::string formName() const override;
    std::int32_t windowState() const override;
    void setWindowState(std::int32_t state) override;
    bool sizable() const override { return sizable_; }
    settings::PixelRect normalRect() const override;
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    std::vector<settings::PixelRect> availableScreens() const override;
    void move(int left, int top, std::optional<settings::PixelSize> size) override;

private:
    QWidget& window_;
    bool sizable_;
};

}  // namespace muralto::ui

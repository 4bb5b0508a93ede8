#include "ui/QtPlacedWindow.h"

#include <QGuiApplication>
#include <QScreen>

#include "settings/Twips.h"

namespace muralto::ui {
namespace {

constexpr Qt::WindowStates kShownStates =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

settings::PixelRect pixelRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

/// The screen the window is on, or the primary one before it has been shown.
const QScreen* screenOf(const QWidget& window) {
    if (const QScreen* s = window.screen())
        return s;
    return QGuiApplication::primaryScreen();
}

}  // namespace

std::string QtPlacedWindow::formName() const {
    return window_.objectName().toStdString();
}

std::int32_t QtPlacedWindow::windowState() const {
    const Qt::WindowStates state = window_.windowState();
    if (state & Qt::WindowMinimized)
        return kMinimised;
    if (state & Qt::WindowMaximized)
        return kMaximised;
    return kNormal;
}

void QtPlacedWindow::setWindowState(std::int32_t state) {
    Qt::WindowStates wanted = window_.windowState() & ~kShownStates;
    if (state == kMinimised)
        wanted |= Qt::WindowMinimized;
    else if (state == kMaximised)
        wanted |= Qt::WindowMaximized;
    window_.setWindowState(wanted);
}

settings::PixelRect QtPlacedWindow::normalRect() const {
    // Qt keeps the normal rectangle of a maximised window, also while it is minimised; for a
    // window in its normal state (or minimised from it) it is the current rectangle.
    const QRect normal = window_.normalGeometry();
    return pixelRect(normal.isValid() ? normal : window_.geometry());
}

double QtPlacedWindow::twipsPerPixelX() const {
    const QScreen* s = screenOf(window_);
    return settings::twipsPerPixel(s ? s->logicalDotsPerInchX() : 0);
}

double QtPlacedWindow::twipsPerPixelY() const {
    const QScreen* s = screenOf(window_);
    return settings::twipsPerPixel(s ? s->logicalDotsPerInchY() : 0);
}

std::vector<settings::PixelRect> QtPlacedWindow::availableScreens() const {
    std::vector<settings::PixelRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.push_back(pixelRect(s->availableGeometry()));
    return screens;
}

void QtPlacedWindow::move(int left, int top, std::optional<settings::PixelSize> size) {
    // setGeometry places the client area; QWidget::move would place the frame's corner there,
    // and the frame is unknown until the window manager has decorated the window.
    const QSize wanted = size ? QSize(size->width, size->height) : window_.size();
    window_.setGeometry(QRect(QPoint(left, top), wanted));
}

}  // namespace muralto::ui

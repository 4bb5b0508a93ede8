#include "ui/TwipGeometry.h"

#include "settings/Twips.h"

namespace muralto::ui {
namespace {

int pixels(std::int32_t twips, double perPixel) {
    return static_cast<int>(settings::twipsToPixels(twips, perPixel));
}

std::int32_t twips(int pixels, double perPixel) {
    return static_cast<std::int32_t>(settings::pixelsToTwips(pixels, perPixel));
}

}  // namespace

double twipsPerPixel(const QWidget& widget) {
    return settings::twipsPerPixel(widget.logicalDpiY());
}

QRect toPixels(const options::TwipRect& r, double perPixel) {
    return {pixels(r.left, perPixel), pixels(r.top, perPixel), pixels(r.width, perPixel),
            pixels(r.height, perPixel)};
}

options::TwipRect toTwips(const QRect& r, double perPixel) {
    return {twips(r.left(), perPixel), twips(r.top(), perPixel), twips(r.width(), perPixel),
            twips(r.height(), perPixel)};
}

void placeInTwips(QWidget& widget, const options::TwipRect& rect) {
    widget.setGeometry(toPixels(rect, twipsPerPixel(widget)));
}

options::TwipRect twipGeometry(const QWidget& widget) {
    return toTwips(widget.geometry(), twipsPerPixel(widget));
}

}  // namespace muralto::ui

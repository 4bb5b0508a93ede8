#pragma once

#include <QRect>
#include <QWidget>

#include "options/TwipRect.h"

namespace muralto::ui {

/// Twips per pixel on the screen that shows widget: 15 at 96 logical dots per inch.
double twipsPerPixel(const QWidget& widget);

/// A rectangle in twips as whole pixels, and back.
QRect toPixels(const options::TwipRect& rect, double perPixel);
options::TwipRect toTwips(const QRect& rect, double perPixel);

/// Places widget at a rectangle given in twips of its parent.
void placeInTwips(QWidget& widget, const options::TwipRect& rect);
/// Where widget stands in its parent, in twips.
options::TwipRect twipGeometry(const QWidget& widget);

}  // namespace muralto::ui

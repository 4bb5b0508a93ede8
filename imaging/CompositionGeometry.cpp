#include "imaging/CompositionGeometry.h"

#include <algorithm>
#include <cmath>

namespace muralto::imaging {

int roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double result = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        result = lower + 1;
    return static_cast<int>(result);
}

TargetSize targetSize(int areaWidth, int areaHeight, std::int32_t scaleFactor) {
    const int factor = std::max<std::int32_t>(scaleFactor, 1);
    TargetSize target{areaWidth / factor, areaHeight / factor};
    if (factor > 1) {
        target.width -= 4;
        target.height -= 4;
    }
    return target;
}

int heightWithCaptionRoom(int height, int charHeight) {
    return roundHalfEven(height - 1.5 * charHeight);
}

QSize fittedSize(QSize picture, TargetSize target) {
    const int w = picture.width();
    const int h = picture.height();
    if (w <= target.width && h <= target.height)
        return picture;
    const double ratioW = double(w) / target.width;
    const double ratioH = double(h) / target.height;
    const double ratio = ratioH > ratioW ? ratioH : ratioW;
    return {std::max(1, roundHalfEven(w / ratio)), std::max(1, roundHalfEven(h / ratio))};
}

PictureLayout layoutPicture(QSize picture, TargetSize target, std::int32_t scaleFactor) {
    const QSize fitted = fittedSize(picture, target);
    if (scaleFactor <= 1)
        return {fitted, QRect(QPoint(0, 0), fitted)};
    const int x = roundHalfEven((target.width - fitted.width()) / 2.0 + 2);
    const int y = roundHalfEven((target.height - fitted.height()) / 2.0 + 2);
    return {QSize(target.width + 4, target.height + 4), QRect(QPoint(x, y), fitted)};
}

CaptionLayout layoutCaption(QSize canvas, int charHeight, int charWidth) {
    const int height = roundHalfEven(canvas.height() + 1.5 * charHeight + 1);
    return {QSize(canvas.width(), height), roundHalfEven(height - 1.5 * charHeight),
            QPoint(charWidth, roundHalfEven(height - 1.25 * charHeight))};
}

std::string captionText(const std::string& imagePath, const std::string& imageDirectory) {
    if (imagePath.size() <= imageDirectory.size())
        return {};
    return imagePath.substr(imageDirectory.size());
}

}  // namespace muralto::imaging

// Checks a screenshot against the bitmap a desktop was told to show, for the desktop tests.
//
//   screencheck SHOT BITMAP centre|tile [X,Y,WIDTH,HEIGHT]
//
// The screen should show BITMAP once in the middle on black (centre) or repeated from the
// top-left corner (tile). Given an area (the desktop's work area), only the pixels inside it
// are compared: a desktop's panels cover the wallpaper outside it. A pixel matches when no channel
// is off by more than 16 (desktops may draw through a 16-bit visual or a colour transform). Exits 0
// when at most 1% of the screen's pixels differ (room for a desktop's own icon or a cursor), 1 when
// more do, 2 when a file cannot be read. Prints the share of differing pixels either way.

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 16 && std::abs(qGreen(a) - qGreen(b)) <= 16 &&
           std::abs(qBlue(a) - qBlue(b)) <= 16;
}

/// The pixel the screen should show at (x, y).
QRgb expectedAt(const QImage& bitmap, const QImage& shot, bool tiled, int x, int y) {
    if (tiled)
        return bitmap.pixel(x % bitmap.width(), y % bitmap.height());
    const int left = (shot.width() - bitmap.width()) / 2;
    const int top = (shot.height() - bitmap.height()) / 2;
    const int bx = x - left, by = y - top;
    if (bx < 0 || by < 0 || bx >= bitmap.width() || by >= bitmap.height())
        return qRgb(0, 0, 0);
    return bitmap.pixel(bx, by);
}

/// The area "X,Y,WIDTH,HEIGHT" clipped to the shot; the whole shot without one.
bool readArea(const char* text, const QImage& shot, QRect* area) {
    *area = shot.rect();
    if (!text)
        return true;
    int x = 0, y = 0, width = 0, height = 0;
    char end = 0;
    if (std::sscanf(text, "%d,%d,%d,%d%c", &x, &y, &width, &height, &end) != 4)
        return false;
    *area = QRect(x, y, width, height).intersected(shot.rect());
    return !area->isEmpty();
}

}  // namespace

int main(int argc, char** argv) {
    const bool tiled = argc >= 4 && std::strcmp(argv[3], "tile") == 0;
    if (argc < 4 || argc > 5 || (!tiled && std::strcmp(argv[3], "centre") != 0)) {
        std::fprintf(stderr, "usage: screencheck SHOT BITMAP centre|tile [X,Y,WIDTH,HEIGHT]\n");
        return 2;
    }
    const QImage shot =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    const QImage bitmap =
        QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
    if (shot.isNull() || bitmap.isNull()) {
        std::fprintf(stderr, "screencheck: cannot read %s\n", shot.isNull() ? argv[1] : argv[2]);
        return 2;
    }
    QRect area;
    if (!readArea(argc == 5 ? argv[4] : nullptr, shot, &area)) {
        std::fprintf(stderr, "screencheck: no area of the screen in %s\n", argv[4]);
        return 2;
    }
    long differ = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!near(shot.pixel(x, y), expectedAt(bitmap, shot, tiled, x, y)))
                ++differ;
        }
    }
    const long total = static_cast<long>(area.width()) * area.height();
    std::printf("%ld of %ld pixels differ (%.2f%%)\n", differ, total, 100.0 * differ / total);
    return differ * 100 <= total ? 0 : 1;
}

// Checks a screenshot against the bitmap a desktop was told to show, for the desktop tests.
//
//   screencheck SHOT BITMAP centre|tile
//
// The screen should show BITMAP once in the middle on black (centre) or repeated from the
// top-left corner (tile). A pixel matches when no channel is off by more than 16 (desktops may
// draw through a 16-bit visual or a colour transform). Exits 0 when at most 1% of the screen's
// pixels differ (room for a desktop's own icon or a cursor), 1 when more do, 2 when a file
// cannot be read. Prints the share of differing pixels either way.

#include <QImage>
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

}  // namespace

int main(int argc, char** argv) {
    const bool tiled = argc == 4 && std::strcmp(argv[3], "tile") == 0;
    if (argc != 4 || (!tiled && std::strcmp(argv[3], "centre") != 0)) {
        std::fprintf(stderr, "usage: screencheck SHOT BITMAP centre|tile\n");
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
    long differ = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (!near(shot.pixel(x, y), expectedAt(bitmap, shot, tiled, x, y)))
                ++differ;
        }
    }
    const long total = static_cast<long>(shot.width()) * shot.height();
    std::printf("%ld of %ld pixels differ (%.2f%%)\n", differ, total, 100.0 * differ / total);
    return differ * 100 <= total ? 0 : 1;
}

// Draws the sample pictures that ship beside the program, so that a first start with the
// default settings (pictures from the program's folder) has something to show. Every picture
// is made here from a few numbers: no outside art.
//
// Usage: make_samples OUTPUT_FOLDER

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <random>

namespace {

struct Scene {
    const char* name;
    QColor skyTop, skyBottom, sun, hills;
    bool stars;
};

void drawHills(QPainter& p, const QSize& size, const QColor& base, std::mt19937& rng) {
    std::uniform_real_distribution<double> jitter(-0.06, 0.06);
    for (int layer = 0; layer < 4; ++layer) {
        const double horizon = 0.55 + layer * 0.1;
        QPainterPath path;
        path.moveTo(0, size.height());
        for (int i = 0; i <= 12; ++i) {
            path.lineTo(size.width() * i / 12.0, size.height() * (horizon + jitter(rng)));
        }
        path.lineTo(size.width(), size.height());
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(base.darker(100 + layer * 35));
        p.drawPath(path);
    }
}

QImage drawScene(const Scene& scene, const QSize& size, unsigned seed) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, scene.skyTop);
    sky.setColorAt(0.7, scene.skyBottom);
    p.fillRect(image.rect(), sky);
    std::mt19937 rng(seed);
    if (scene.stars) {
        std::uniform_int_distribution<int> x(0, size.width()), y(0, size.height() / 2);
        p.setPen(QColor(255, 255, 240));
        for (int i = 0; i < 300; ++i)
            p.drawPoint(x(rng), y(rng));
    }
    const QPointF sunAt(size.width() * 0.68, size.height() * 0.32);
    QRadialGradient glow(sunAt, size.height() * 0.18);
    glow.setColorAt(0, scene.sun);
    glow.setColorAt(0.35, scene.sun);
    glow.setColorAt(1, Qt::transparent);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(sunAt, size.height() * 0.18, size.height() * 0.18);
    drawHills(p, size, scene.hills, rng);
    return image;
}

QImage drawTiles(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    const int cell = size.height() / 9;
    for (int y = 0; y * cell < size.height(); ++y) {
        for (int x = 0; x * cell < size.width(); ++x) {
            p.fillRect(x * cell, y * cell, cell, cell,
                       QColor::fromHsv((x * 23 + y * 41) % 360, 140, 220));
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make_samples OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath("."))
        return 1;
    const QSize size(1920, 1080);
    const Scene scenes[] = {
        {"dawn", QColor(40, 60, 120), QColor(250, 170, 120), QColor(255, 230, 180),
         QColor(90, 110, 80), false},
        {"noon", QColor(40, 120, 220), QColor(170, 210, 250), QColor(255, 255, 220),
         QColor(70, 150, 70), false},
        {"dusk", QColor(60, 30, 90), QColor(240, 110, 80), QColor(255, 180, 90), QColor(80, 60, 70),
         false},
        {"night", QColor(5, 10, 30), QColor(30, 40, 90), QColor(230, 230, 210), QColor(30, 40, 50),
         true},
    };
    unsigned seed = 7;
    for (const Scene& s : scenes) {
        if (!drawScene(s, size, seed++).save(out.filePath(QString(s.name) + ".jpg"), "JPEG", 88)) {
            return 1;
        }
    }
    return drawTiles(size).save(out.filePath("tiles.jpg"), "JPEG", 88) ? 0 : 1;
}

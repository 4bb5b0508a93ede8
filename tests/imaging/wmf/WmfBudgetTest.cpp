// Metafiles made to cost far more than their size: the play ends within its budget of work and
// memory, while drawings of the same kinds and ordinary size play to their end.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/imaging/wmf/WmfWriter.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using test::dword;
using test::WmfWriter;
using test::words;
namespace f = WmfFunction;

constexpr QSize kScreen(1920, 1080);
constexpr int kNullPen = 5, kSolid = 0, kDash = 1;

WmfWriter screenWriter() {
    WmfWriter writer;
    writer.placeable({0, 0, kScreen.width(), kScreen.height()}, 96);
    return writer;
}

/// A record of points (x, y each) after a count: a polygon or a polyline.
std::string pointRecord(const QPolygonF& points) {
    std::string params = words({int(points.size())});
    for (const QPointF& point : points)
        params += words({int(point.x()), int(point.y())});
    return params;
}

/// points points spiking from the top of the screen to its bottom and back, across it.
QPolygonF zigzag(int points) {
    QPolygonF zigzag;
    for (int i = 0; i < points; ++i)
        zigzag.append(QPointF(kScreen.width() * i / points, i % 2 ? kScreen.height() - 1 : 0));
    return zigzag;
}

/// A line across the screen and back, 100 times, going down 10 units each time.
QPolygonF backAndForth() {
    QPolygonF line;
    for (int i = 0; i < 100; ++i)
        line.append(QPointF(i % 2 ? 1910 : 10, 10 + 10 * i));
    return line;
}

QPolygonF randomPoints(int points) {
    std::uint32_t random = 7;
    const auto next = [&random](int range) {
        random = random * 1103515245u + 12345u;
        return int((random >> 8) % std::uint32_t(range));
    };
    QPolygonF line;
    for (int i = 0; i < points; ++i) {
        const int x = next(kScreen.width());
        line.append(QPointF(x, next(kScreen.height())));
    }
    return line;
}

/// A closed outline of points points around an ellipse that fills most of the screen, its
/// edge waving.
QPolygonF wavyOval(int points) {
    QPolygonF oval;
    for (int i = 0; i < points; ++i) {
        const double t = 2 * std::numbers::pi * i / points;
        oval.append(QPointF(960 + 900 * std::cos(t) * (1 + 0.05 * std::sin(40 * t)),
                            540 + 500 * std::sin(t)));
    }
    return oval;
}

std::string filledPolygon(const QPolygonF& points) {
    return screenWriter()
        .pen(kNullPen, 0, Qt::black)
        .select(0)
        .brush(0, Qt::red)
        .select(1)
        .record(f::Polygon, pointRecord(points))
        .bytes();
}

std::string line(const QPolygonF& points, int style, int width) {
    return screenWriter()
        .pen(style, width, Qt::white)
        .select(0)
        .record(f::Polyline, pointRecord(points))
        .bytes();
}

/// groups groups of a font, selected, two letters in it, the font deleted; each of a face no
/// system has, or all of one face.
std::string fontGroups(int groups, bool sameFace) {
    WmfWriter writer = screenWriter();
    writer.textColour(Qt::white);
    for (int group = 0; group < groups; ++group) {
        const std::string face = sameFace ? "DejaVu Sans" : "NoSuchFace" + std::to_string(group);
        writer.font(-24, 0, face.c_str()).select(0).textOut(100, 100, "ab");
        writer.record(f::DeleteObject, {0});
    }
    return writer.bytes();
}

/// What an ordinary detailed drawing holds: a large outline of many points, small shapes by
/// the hundred, a wide dashed frame, text in a few dozen fonts.
std::string ordinaryDrawing() {
    WmfWriter writer = screenWriter();
    writer.pen(kSolid, 3, Qt::white).select(0).brush(0, Qt::red).select(1);
    writer.record(f::Polygon, pointRecord(wavyOval(20000)));
    for (int i = 0; i < 500; ++i) {
        const QPointF at((i * 97) % 1800, (i * 61) % 1000);
        writer.record(f::Polygon, pointRecord(QPolygonF(QRectF(at, QSizeF(60, 40)))));
    }
    writer.pen(kDash, 4, Qt::yellow).select(2).record(f::DeleteObject, {0});
    writer.record(
        f::Polyline,
        pointRecord(QPolygonF({{10, 10}, {1910, 10}, {1910, 1070}, {10, 1070}, {10, 10}})));
    for (int i = 0; i < 40; ++i)
        writer.font(-12 - i % 8, 0, i % 2 ? "DejaVu Sans" : "DejaVu Serif")
            .select(0)
            .textOut(50 * i, 500, "Label")
            .record(f::DeleteObject, {0});
    return writer.bytes();
}

struct Budget {
    const char* name;
    std::string bytes;
    bool ends;  // the play ends early, as drawing it would take too long
    WmfLimits limits = {};
};

const Budget kBudgets[] = {
    {"ZigzagPolygonOf200Points", filledPolygon(zigzag(200)), true},
    {"WideLineThrough250RandomPoints", line(randomPoints(250), kSolid, 2), true},
    {"WideDashedLineThrough250RandomPoints", line(randomPoints(250), kDash, 2), true},
    {"ThinLineThrough250RandomPoints", line(randomPoints(250), kSolid, 0), false},
    // About 25 million of work solid; its 16,000 dashes cost more than the rest.
    {"WideLineBackAndForth", line(backAndForth(), kSolid, 2), false, {.work = 50e6}},
    {"WideDashedLineBackAndForth", line(backAndForth(), kDash, 2), true, {.work = 50e6}},
    {"HundredFontsOfUnknownFaces", fontGroups(100, false), true, {.work = 5e6}},
    {"HundredFontsOfOneFace", fontGroups(100, true), false, {.work = 5e6}},
    {"OrdinaryDetailedDrawing", ordinaryDrawing(), false},
};

class WmfBudgets : public testing::TestWithParam<Budget> {};

TEST_P(WmfBudgets, EndTheCostlyPlaysAndNoOther) {
    const Budget& row = GetParam();
    const WmfHeader header = *readWmfHeader(row.bytes);
    QImage canvas(kScreen, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    const WmfPlay play =
        playWmf(row.bytes, header, header.bounds, painter, canvas.rect(), row.limits);
    painter.end();
    EXPECT_EQ(play.stopped, row.ends ? "drawing the metafile would take too long" : "");
}

INSTANTIATE_TEST_SUITE_P(Files, WmfBudgets, testing::ValuesIn(kBudgets), muralto::test::byName);

// --- Pattern brushes: each takes its pixels' memory until the play ends --------------------

/// A red brush selected, brushes blue pattern brushes of 64 x 64 made (none deleted), the last
/// one selected and a rectangle filled.
std::string patternBrushes(int brushes) {
    QImage pattern(64, 64, QImage::Format_RGB32);
    pattern.fill(Qt::blue);
    const std::string dib = test::packedDib(pattern, 1);
    WmfWriter writer;
    writer.placeable({0, 0, 64, 48}, 96).pen(kNullPen, 0, Qt::black).select(0);
    writer.brush(0, Qt::red).select(1);
    for (int i = 0; i < brushes; ++i)
        writer.record(f::DibCreatePatternBrush, words({5, 0}) + dib);
    return writer.select(1 + brushes).rectangle(0, 0, 64, 48).bytes();
}

TEST(WmfPatternBrushes, PastTheirMemoryAreLeftOutAndTheBrushSelectedBeforeStays) {
    const std::int64_t brushBytes = 64 * 64 * 4;
    for (const auto& [brushes, colour] : {std::pair{3, QColor(Qt::blue)}, {4, QColor(Qt::red)}}) {
        const std::string bytes = patternBrushes(brushes);
        const WmfHeader header = *readWmfHeader(bytes);
        QImage canvas(64, 48, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        const WmfPlay play = playWmf(bytes, header, header.bounds, painter, canvas.rect(),
                                     {.patternBytes = 3 * brushBytes});
        painter.end();
        EXPECT_EQ(play.stopped, "");
        EXPECT_EQ(QColor(canvas.pixel(32, 24)), colour) << brushes << " brushes";
    }
}

}  // namespace
}  // namespace muralto::imaging

// The records that draw text with the selected font, upright on the canvas whatever the
// mapping, turned by the font's escapement.

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>

#include <cmath>

#include "imaging/wmf/WmfHandlers.h"

namespace muralto::imaging::wmf {

namespace {

constexpr int kOpaque = 0x0002, kClipped = 0x0004;
/// The height of the default font (height 0), in logical units.
constexpr double kDefaultHeight = 12;

/// One text record: the string, where it goes, and the optional options rectangle and glyph
/// advances (logical units).
struct TextRun {
    QString text;
    QPointF anchor;
    int options = 0;
    QRectF rect;
    std::vector<double> advances;
};

/// The canvas size that the font's height has, in pixels.
double canvasHeight(const WmfContext& context, const QTransform& toCanvas) {
    const double height = context.dc.font.height == 0 ? kDefaultHeight : context.dc.font.height;
    return std::abs(height) * std::hypot(toCanvas.m21(), toCanvas.m22());
}

/// The Qt font for the selected font at the given pixel height: the em height when the font's
/// height is negative, the cell (ascent and descent) when positive.
QFont qtFont(const WmfFont& font, double pixels, double dpi) {
    QFont qt(font.family.isEmpty() ? QStringLiteral("Sans Serif") : font.family);
    qt.setPointSizeF(pixels * 72 / dpi);
    qt.setWeight(QFont::Weight(font.weight <= 0 ? 400 : std::clamp(font.weight, 1, 1000)));
    qt.setItalic(font.italic);
    qt.setUnderline(font.underline);
    qt.setStrikeOut(font.strikeOut);
    if (font.height > 0) {
        const double cell = QFontMetricsF(qt).height();
        if (cell > 0)
            qt.setPointSizeF(pixels * pixels / cell * 72 / dpi);
    }
    return qt;
}

/// What tells one looked-up font from another: its face, pixel size, weight and slant.
QString fontKey(const WmfFont& font, double pixels) {
    return QStringLiteral("%1/%2/%3/%4")
        .arg(font.family)
        .arg(std::lround(pixels))
        .arg(font.weight)
        .arg(font.italic);
}

/// Where the text's reference point lies from its left end on the baseline, for the alignment.
QPointF alignmentOffset(int align, double width, const QFontMetricsF& metrics) {
    const int horizontal = align & WmfAlign::HorizontalMask;
    const int vertical = align & WmfAlign::VerticalMask;
    const double x = horizontal == WmfAlign::Center  ? -width / 2
                     : horizontal == WmfAlign::Right ? -width
                                                     : 0;
    const double y = vertical == WmfAlign::Baseline ? 0
                     : vertical == WmfAlign::Bottom ? -metrics.descent()
                                                    : metrics.ascent();
    return {x, y};
}

/// Draws the glyphs at the painter's origin on the baseline, each at its advance when given.
void drawGlyphs(QPainter& painter, const TextRun& run, double xScale) {
    if (run.advances.empty()) {
        painter.drawText(QPointF(0, 0), run.text);
        return;
    }
    double x = 0;
    for (qsizetype i = 0; i < run.text.size(); ++i) {
        painter.drawText(QPointF(x, 0), QString(run.text[i]));
        x += run.advances[std::size_t(i)] * xScale;
    }
}

/// The work of drawing one glyph pixels high, in canvas pixels filled. Small upright glyphs come
/// from the glyph cache; large ones and turned ones are filled as outlines, which takes much
/// longer. Glyphs at advances of their own are laid out one by one.
double glyphCost(const TextRun& run, double pixels, int escapement) {
    const bool outlined = escapement % 3600 != 0 || pixels > 64;
    const double drawing = outlined ? 2000 + 3 * pixels * pixels : 200 + pixels * pixels / 4;
    return drawing + (run.advances.empty() ? 0 : 1000);
}

/// Fills the options rectangle with the background colour, when the options say so.
void fillOptionsRect(WmfContext& context, const TextRun& run) {
    if (!(run.options & kOpaque))
        return;
    const auto onCanvas = context.onCanvas(run.rect);
    if (onCanvas && context.mayFill(*onCanvas))
        context.painter.fillRect(run.rect.normalized(), context.dc.backgroundColour);
}

/// Draws the text at anchor (canvas pixels), turned and aligned, on its background.
void drawAt(WmfContext& context, const TextRun& run, QPointF anchor, const QFont& font,
            double width, double xScale) {
    const WmfDc& dc = context.dc;
    QPainter& painter = context.painter;
    const QFontMetricsF metrics(font);
    painter.save();
    if (run.options & kClipped)
        painter.setClipRect(run.rect.normalized(), Qt::IntersectClip);
    painter.setWorldTransform(QTransform::fromTranslate(anchor.x(), anchor.y()));
    painter.rotate(-dc.font.escapement / 10.0);
    painter.translate(alignmentOffset(dc.textAlign, width, metrics));
    if (dc.opaqueBackground && !(run.options & kOpaque))
        painter.fillRect(QRectF(0, -metrics.ascent(), width, metrics.height()),
                         dc.backgroundColour);
    painter.setFont(font);
    painter.setPen(dc.textColour);
    drawGlyphs(painter, run, xScale);
    painter.restore();
}

/// The text's width on the canvas: its advances' sum when it has them, else the font's.
double textWidth(const TextRun& run, const QFontMetricsF& metrics, double xScale) {
    if (run.advances.empty())
        return metrics.horizontalAdvance(run.text);
    double width = 0;
    for (const double advance : run.advances)
        width += advance * xScale;
    return width;
}

void drawRun(WmfContext& context, const TextRun& run) {
    fillOptionsRect(context, run);
    if (run.text.isEmpty() || !context.toCanvas ||
        !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;  // fonts need the GUI application
    const QTransform toCanvas = *context.toCanvas;
    const double pixels = canvasHeight(context, toCanvas);
    if (pixels < 0.5 || pixels > 4 * std::max(context.canvas.width(), context.canvas.height()))
        return;
    WmfDc& dc = context.dc;
    if (!context.mayUseFont(fontKey(dc.font, pixels)))
        return;
    const QFont font = qtFont(dc.font, pixels, context.painter.device()->logicalDpiY());
    const double xScale = std::hypot(toCanvas.m11(), toCanvas.m12());
    const double width = textWidth(run, QFontMetricsF(font), xScale);
    const bool current = dc.textAlign & WmfAlign::UpdateCp;
    const QPointF logical = current ? dc.position : run.anchor;
    const QPointF anchor = toCanvas.map(logical);
    if (!context.onCanvas(QRectF(logical, QSizeF(0, 0))) || std::abs(width) > 1e6 ||
        !context.mayFill(QRectF(anchor, QSizeF(std::abs(width), pixels))) ||
        !context.spend(double(run.text.size()) * glyphCost(run, pixels, dc.font.escapement)))
        return;
    if (current)
        dc.position.rx() += width / xScale;
    drawAt(context, run, anchor, font, width, xScale);
}

/// count bytes of text (padded to whole words) as Latin-1.
QString readString(WmfReader& reader, int count) {
    const std::string_view bytes = reader.take(std::size_t(std::max(count, 0)));
    if (count % 2)
        reader.skip(1);
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

}  // namespace

void textOut(WmfContext& context, WmfReader& reader) {
    TextRun run;
    run.text = readString(reader, reader.s16());
    const double y = reader.s16();
    run.anchor = {double(reader.s16()), y};
    drawRun(context, run);
}

void extTextOut(WmfContext& context, WmfReader& reader) {
    TextRun run;
    const double y = reader.s16();
    run.anchor = {double(reader.s16()), y};
    const int count = reader.s16();
    run.options = reader.u16();
    if (run.options & (kOpaque | kClipped)) {
        const double left = reader.s16(), top = reader.s16();
        const double right = reader.s16(), bottom = reader.s16();
        run.rect = QRectF(QPointF(left, top), QPointF(right, bottom));
    }
    run.text = readString(reader, count);
    if (reader.remaining() >= std::size_t(run.text.size()) * 2) {
        for (qsizetype i = 0; i < run.text.size(); ++i)
            run.advances.push_back(reader.s16());
    }
    drawRun(context, run);
}

}  // namespace muralto::imaging::wmf

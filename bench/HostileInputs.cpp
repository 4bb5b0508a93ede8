// The hostile pictures that the picture code is measured on: metafiles whose drawing costs far
// more than their size suggests, and a TIFF whose decoding needs far more memory than its
// size, alone or as an EPS file's preview.

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "bench/GuiCommands.h"
#include "bench/MetafileRecords.h"

namespace muralto::bench {

namespace {

constexpr int kNullPen = 5;

/// A pen of style and width, selected; it takes the table's lowest free index.
void selectPen(MetafileRecords& out, int index, int style, int width) {
    out.record(0x02FA, 5);
    out.words({style, width, 0, 0xFFFF, 0x00FF});
    out.record(0x012D, 1);
    out.word(index);
}

void selectSolidBrush(MetafileRecords& out, int index) {
    out.record(0x02FC, 4);
    out.words({0, 0x00FF, 0x0000, 0});
    out.record(0x012D, 1);
    out.word(index);
}

/// POLYGONS polygons of POINTS points, each spiking from the top of the frame to its bottom
/// and back across its whole width, filled without an outline.
std::string zigzagPolygons(int polygons, int points) {
    MetafileRecords out;
    selectPen(out, 0, kNullPen, 0);
    selectSolidBrush(out, 1);
    for (int polygon = 0; polygon < polygons; ++polygon) {
        out.record(0x0324, 1 + 2 * std::size_t(points));
        out.word(points);
        for (int i = 0; i < points; ++i)
            out.words({(1920 * i + polygon * 7) / points, i % 2 ? 1079 : 0});
    }
    out.record(0, 0);
    return placeableMetafile(out, 2);
}

/// One polyline of POINTS random points over the frame, with a pen 2 units wide.
std::string widePolyline(int points, bool dashed) {
    MetafileRecords out;
    selectPen(out, 0, dashed ? 1 : 0, 2);
    out.record(0x0325, 1 + 2 * std::size_t(points));
    out.word(points);
    std::uint32_t random = 1;
    const auto next = [&random](int range) {
        random = random * 1103515245u + 12345u;
        return int((random >> 8) % std::uint32_t(range));
    };
    for (int i = 0; i < points; ++i) {
        const int x = next(1920);
        out.words({x, next(1080)});
    }
    out.record(0, 0);
    return placeableMetafile(out, 1);
}

/// GROUPS groups of: a font of a face that no system has, selected, two letters in it, the
/// font deleted.
std::string fontGroups(int groups) {
    MetafileRecords out;
    for (int group = 0; group < groups; ++group) {
        out.record(0x02FB, 9 + 16);
        out.words({-24, 0, 0, 0, 400, 0, 0, 0, 0});
        std::string face = "NoSuchFace" + std::to_string(group);
        face.resize(32, '\0');
        out.raw(face);
        out.record(0x012D, 1);
        out.word(0);
        out.record(0x0521, 1 + 1 + 2);
        out.words({2});
        out.raw("ab");
        out.words({100, 100});
        out.record(0x01F0, 1);
        out.word(0);
    }
    out.record(0, 0);
    return placeableMetafile(out, 1);
}

/// BRUSHES pattern brushes of a 1024 x 1024 bitmap of one bit a pixel, none ever deleted.
std::string patternBrushes(int brushes) {
    const int side = 1024, stride = side / 8;
    std::string rows(std::size_t(stride) * side, '\0');
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = char(i / stride % 2 ? 0xAA : 0x55);
    MetafileRecords out;
    for (int brush = 0; brush < brushes; ++brush) {
        out.record(0x0142, 2 + 20 + 4 + rows.size() / 2);
        out.words({0, 0, 40, 0, side, 0, side, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        out.words({0, 0, 0xFFFF, 0x00FF});  // black and white
        out.raw(rows);
    }
    out.record(0, 0);
    return placeableMetafile(out, brushes);
}

void putU16(QByteArray& out, int value) {
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

void putU32(QByteArray& out, std::uint32_t value) {
    putU16(out, int(value & 0xFFFF));
    putU16(out, int(value >> 16));
}

/// A black RGB TIFF of side x side pixels of 8 bits a sample, in one deflated strip.
QByteArray deflatedTiff(int side) {
    const QByteArray strip =
        qCompress(QByteArray(qsizetype(side) * side * 3, '\0')).mid(4);  // zlib, no length
    QByteArray out("II*\0\0\0\0\0", 8);
    out += strip;
    if (out.size() % 2)
        out += '\0';
    const auto bitsAt = std::uint32_t(out.size());
    putU16(out, 8), putU16(out, 8), putU16(out, 8);
    qToLittleEndian(std::uint32_t(out.size()), out.data() + 4);
    const std::uint32_t entries[][4] = {{256, 4, 1, std::uint32_t(side)},
                                        {257, 4, 1, std::uint32_t(side)},
                                        {258, 3, 3, bitsAt},
                                        {259, 3, 1, 8},
                                        {262, 3, 1, 2},
                                        {273, 4, 1, 8},
                                        {277, 3, 1, 3},
                                        {278, 4, 1, std::uint32_t(side)},
                                        {279, 4, 1, std::uint32_t(strip.size())}};
    putU16(out, int(std::size(entries)));
    for (const auto& entry : entries) {
        putU16(out, int(entry[0]));
        putU16(out, int(entry[1]));
        putU32(out, entry[2]);
        putU32(out, entry[3]);
    }
    putU32(out, 0);
    return out;
}

/// An EPS file with the binary header whose only preview is tiff.
QByteArray epsAround(const QByteArray& tiff) {
    const QByteArray postScript("%!PS-Adobe-3.0 EPSF-3.0\n");
    QByteArray out("\xC5\xD0\xD3\xC6", 4);
    putU32(out, 30);
    putU32(out, std::uint32_t(postScript.size()));
    putU32(out, 0), putU32(out, 0);
    putU32(out, std::uint32_t(30 + postScript.size()));
    putU32(out, std::uint32_t(tiff.size()));
    putU16(out, 0xFFFF);
    return out + postScript + tiff;
}

std::string hostile(const Arguments& args) {
    const std::string& kind = args[1];
    const auto count = number(args[2], 1, 100000);
    const auto second = args.size() == 4 ? number(args[3], 1, 60000) : std::nullopt;
    if (!count)
        return {};
    if (kind == "zigzag" && second)
        return zigzagPolygons(int(*count), int(*second));
    if ((kind == "polyline" || kind == "dashed") && *count <= 60000)
        return widePolyline(int(*count), kind == "dashed");
    if (kind == "fonts")
        return fontGroups(int(*count));
    if (kind == "patterns" && *count <= 60000)
        return patternBrushes(int(*count));
    if (kind == "tiff" && *count <= 20000)
        return deflatedTiff(int(*count)).toStdString();
    if (kind == "eps-tiff" && *count <= 20000)
        return epsAround(deflatedTiff(int(*count))).toStdString();
    return {};
}

}  // namespace

int makeHostileCommand(const Arguments& args) {
    const std::string bytes = args.size() == 3 || args.size() == 4 ? hostile(args) : "";
    if (bytes.empty())
        return misuse(
            "muralto_bench_picture make-hostile OUT (zigzag POLYGONS POINTS | polyline POINTS | "
            "dashed POINTS | fonts GROUPS | patterns BRUSHES | tiff SIDE | eps-tiff SIDE)");
    std::ofstream out(args[0], std::ios::binary);
    out << bytes;
    return out.good() ? 0 : failure("cannot write " + args[0]);
}

}  // namespace muralto::bench

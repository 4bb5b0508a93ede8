#include "JpegHeader.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>

#include "PictureFiles.h"

namespace muralto::imaging {
namespace {

using Kind = JpegScan::Kind;

/// Data of a given size made of a head and zeros after it, made up as it is read, which counts
/// the bytes read from it.
class ZeroTail : public QIODevice {
public:
    ZeroTail(QByteArray head, qint64 size) : head_(std::move(head)), size_(size) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 size() const override { return size_; }
    qint64 bytesRead() const { return read_; }

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 count = std::min(max, size_ - pos());
        for (qint64 i = 0; i < count; ++i)
            data[i] = pos() + i < head_.size() ? head_[pos() + i] : '\0';
        read_ += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray head_;
    qint64 size_;
    qint64 read_ = 0;
};

QByteArray jpeg(QSize size) {
    return QByteArray::fromStdString(test::encode(test::solid(size, Qt::red), "jpeg"));
}

/// A JPEG stream with segments inserted right after its start-of-image marker.
QByteArray withSegments(const QByteArray& picture, const QByteArray& segments) {
    return picture.left(2) + segments + picture.mid(2);
}

/// count segments of the marker, each with payload bytes of zeros.
QByteArray segments(int marker, int count, int payload) {
    QByteArray one(4 + payload, '\0');
    one[0] = char(0xFF);
    one[1] = char(marker);
    one[2] = char((payload + 2) >> 8);
    one[3] = char((payload + 2) & 0xFF);
    return one.repeated(count);
}

const QByteArray kStart("\xFF\xD8", 2);
const QByteArray kFrame("\xFF\xC0\x00\x0B\x08\x00\x10\x00\x20\x01\x01\x11\x00", 13);  // 32 x 16

struct Case {
    const char* name;
    std::function<QByteArray()> head;
    qint64 size;  // of the whole data, zeros after the head; 0 for the head alone
    Kind kind;
    QSize declared;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class JpegHeaderTest : public ::testing::TestWithParam<Case> {};

TEST_P(JpegHeaderTest, FindsTheHeaderWithinItsBoundOrSaysWhy) {
    const Case& c = GetParam();
    const QByteArray head = c.head();
    ZeroTail data(head, c.size > 0 ? c.size : head.size());
    const JpegScan scan = readJpegHeader(data);
    ASSERT_EQ(scan.kind, c.kind) << scan.error;
    // No more than the bound is read, whatever the data holds behind it.
    EXPECT_LE(data.bytesRead(), kMaxJpegHeaderBytes);
    if (c.kind == Kind::Header)
        EXPECT_EQ(QSize(scan.header.width, scan.header.height), c.declared);
    else
        EXPECT_EQ(scan.error.empty(), c.kind == Kind::NotJpeg);
}

constexpr qint64 kHuge = 3 * kMaxJpegHeaderBytes;

INSTANTIATE_TEST_SUITE_P(
    Streams, JpegHeaderTest,
    ::testing::Values(
        Case{"Photo",
             [] {
                 return jpeg({40, 30});
             },
             0,
             Kind::Header,
             {40, 30}},
        Case{"ManyComments",
             [] {
                 return withSegments(jpeg({40, 30}), segments(0xFE, 100000, 0));
             },
             0,
             Kind::Header,
             {40, 30}},
        // An ICC profile at its largest, in 255 APP2 segments.
        Case{"LargestIccProfile",
             [] {
                 return withSegments(jpeg({40, 30}), segments(0xE2, 255, 65533));
             },
             0,
             Kind::Header,
             {40, 30}},
        Case{"FrameThenDataEnds", [] { return kStart + kFrame; }, 0, Kind::Header, {32, 16}},
        Case{"StartThenZeros", [] { return kStart; }, kHuge, Kind::Unusable, {}},
        Case{"FrameThenZeros", [] { return kStart + kFrame; }, kHuge, Kind::Unusable, {}},
        Case{"SegmentsPastTheBound",
             [] { return kStart + segments(0xE2, 400, 65533) + kFrame; },
             0,
             Kind::Unusable,
             {}},
        Case{"NoFrame", [] { return kStart + QByteArray("\xFF\xD9", 2); }, 0, Kind::Unusable, {}},
        Case{"Gif", [] { return QByteArray("GIF89a"); }, 0, Kind::NotJpeg, {}},
        Case{"Empty", [] { return QByteArray(); }, 0, Kind::NotJpeg, {}}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace muralto::imaging

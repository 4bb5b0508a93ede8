#include "imaging/JpegHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/imaging/PictureFiles.h"
#include "tests/support/TestSupport.h"

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
    qint64 size;  // of the whole data, zeros after the head; 0 for the head alone
    Kind kind;
    QSize declared;
    std::function<QByteArray()> head;
};

/// A photo of 40 x 30 pixels with segments after its start-of-image marker.
QByteArray photo(const QByteArray& segments = {}) {
    return withSegments(jpeg({40, 30}), segments);
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

using enum Kind;
const Case kStreams[] = {
    {"Photo", 0, Header, {40, 30}, [] { return photo(); }},
    {"ManyComments", 0, Header, {40, 30}, [] { return photo(segments(0xFE, 100000, 0)); }},
    // An ICC profile at its largest, in 255 APP2 segments.
    {"LargestIccProfile", 0, Header, {40, 30}, [] { return photo(segments(0xE2, 255, 65533)); }},
    {"FrameThenDataEnds", 0, Header, {32, 16}, [] { return kStart + kFrame; }},
    {"StartThenZeros", kHuge, Unusable, {}, [] { return kStart; }},
    {"FrameThenZeros", kHuge, Unusable, {}, [] { return kStart + kFrame; }},
    {"SegmentsPastTheBound",
     0,
     Unusable,
     {},
     [] { return kStart + segments(0xE2, 400, 65533) + kFrame; }},
    {"NoFrame", 0, Unusable, {}, [] { return kStart + QByteArray("\xFF\xD9", 2); }},
    {"Gif", 0, NotJpeg, {}, [] { return QByteArray("GIF89a"); }},
};

INSTANTIATE_TEST_SUITE_P(Streams, JpegHeaderTest, ::testing::ValuesIn(kStreams),
                         muralto::test::byName);

}  // namespace
}  // namespace muralto::imaging

// Reads the JPEG header and EXIF orientation of arbitrary bytes: whatever they hold, the scan
// ends within its bound and what it reports is in range.
#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "imaging/JpegHeader.h"

using namespace muralto::imaging;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const JpegScan scan = readJpegHeader(buffer);
    const JpegHeader& header = scan.header;
    switch (scan.kind) {
        case JpegScan::Kind::NotJpeg:
            if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8)
                std::abort();  // a start-of-image marker was missed
            break;
        case JpegScan::Kind::Unusable:
            if (scan.error.empty())
                std::abort();
            break;
        case JpegScan::Kind::Header:
            if (header.width < 0 || header.width > 65535 || header.height < 0 ||
                header.height > 65535 || header.orientation < 1 || header.orientation > 8 ||
                header.coefficientBytes < 0 || header.segments < 1)
                std::abort();
            break;
    }
    return 0;
}

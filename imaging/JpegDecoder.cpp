#include "imaging/JpegDecoder.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <memory>
#include <vector>

#include <jerror.h>  // after jpeglib.h, which it needs
#include <jpeglib.h>

#include "imaging/RowPipeline.h"
#include "platform/image/PagedImage.h"

namespace muralto::imaging {

namespace {

// --- Reading the file --------------------------------------------------------------------------

// Small enough to come from the heap's warm pages rather than a fresh mapping of its own.
constexpr std::size_t kReadChunk = 64 * 1024;

/// libjpeg's source manager over a file descriptor, read with pread from offset 0, so that
/// another reader of the same descriptor neither disturbs nor is disturbed.
struct FileSource {
    jpeg_source_mgr manager;  // first, so that libjpeg's pointer is one to this
    int fd;
    off_t offset;
    JOCTET* buffer;
};

const JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}

/// Refills the buffer; at the end of the file (or on a read error) it hands libjpeg an
/// end-of-image marker, with a warning, so that a truncated picture shows what it holds.
boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<FileSource*>(cinfo->src);
    ssize_t n = -1;
    do {
        n = ::pread(source->fd, source->buffer, kReadChunk, source->offset);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->manager.next_input_byte = kEndOfImage;
        source->manager.bytes_in_buffer = sizeof kEndOfImage;
        return TRUE;
    }
    source->offset += n;
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = std::size_t(n);
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* source = cinfo->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= std::size_t(count);
    }
}

void termSource(j_decompress_ptr) {}

// --- Errors ------------------------------------------------------------------------------------

/// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to
/// the setjmp of the decoding step that is running, after keeping the message.
struct ErrorManager {
    jpeg_error_mgr manager;  // first, so that libjpeg's pointer is one to this
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

/// Warnings (damaged or truncated data) are not printed: the picture is shown as far as it goes.
void outputMessage(j_common_ptr) {}

// --- Scaling -----------------------------------------------------------------------------------

constexpr int kWeightBits = 14;  // each output pixel's weights sum to exactly 1 << kWeightBits
constexpr int kColumnShift = 6;  // column sums drop 6 bits to keep the row pass in 32 bits

/// How the pixels of one axis fold into the output's: output i is the sum of weight[k] *
/// input[first + k] over its count taps, the weights being the fractions of the input pixels
/// that fall in output i's share of the axis.
struct Tap {
    int first;
    int count;
    int offset;  // of the weights in AxisTaps::weights
};

struct AxisTaps {
    std::vector<Tap> taps;
    std::vector<std::uint32_t> weights;
};

AxisTaps axisTaps(int in, int out) {
    AxisTaps axis;
    axis.taps.reserve(std::size_t(out));
    const double scale = double(in) / out;
    const double unit = double(1 << kWeightBits);
    for (int i = 0; i < out; ++i) {
        const double low = i * scale;
        const double high = (i + 1) * scale;
        const int first = int(low);
        const int last = std::min(in - 1, int(high - 1e-9));
        axis.taps.push_back({first, last - first + 1, int(axis.weights.size())});
        std::uint32_t done = 0;  // the weight given so far, in fixed point
        for (int k = first; k <= last; ++k) {
            const double end = std::min(high, double(k + 1));
            const std::uint32_t upTo =
                k == last ? (1u << kWeightBits) : std::uint32_t((end - low) / scale * unit + 0.5);
            axis.weights.push_back(upTo - done);
            done = upTo;
        }
    }
    return axis;
}

/// Area-averaging down-scaler fed one BGRX row at a time, top to bottom. Rows are summed
/// first, over whole input rows (which vectorises), and each finished output row is then
/// summed across. An input row falls in at most two output rows (the scale is at least 1), so
/// two column-sum rows suffice.
class AreaScaler {
public:
    AreaScaler(int inWidth, int inHeight, QImage& out)
        : out_(out),
          width_(out.width()),
          height_(out.height()),
          columns_(axisTaps(inWidth, width_)),
          rows_(axisTaps(inHeight, height_)),
          sums_{std::vector<std::uint32_t>(paddedRowBytes(inWidth)),
                std::vector<std::uint32_t>(paddedRowBytes(inWidth))} {}

    static constexpr std::size_t kBlock = 16;
    /// The bytes of a BGRX row of width pixels, rounded up to whole blocks.
    static std::size_t paddedRowBytes(int width) {
        return (std::size_t(width) * 4 + kBlock - 1) / kBlock * kBlock;
    }

    void addRow(const JSAMPLE* bgrx) {
        for (int o = next_; o < height_ && o <= next_ + 1; ++o) {
            const Tap& tap = rows_.taps[std::size_t(o)];
            const int k = y_ - tap.first;
            if (k < 0 || k >= tap.count)
                continue;
            addWeighted(sums_[o & 1], bgrx, rows_.weights[std::size_t(tap.offset + k)]);
            if (k == tap.count - 1)
                emitRow(o);
        }
        ++y_;
    }

private:
    /// sum += weight * row, over whole blocks: the fixed inner count lets the compiler use
    /// vector instructions without a scalar tail. Both are padded to kBlock.
    static void addWeighted(std::vector<std::uint32_t>& sum, const JSAMPLE* __restrict bgrx,
                            std::uint32_t weight) {
        std::uint32_t* __restrict out = sum.data();
        for (std::size_t i = 0; i < sum.size(); i += kBlock) {
            for (std::size_t j = 0; j < kBlock; ++j)
                out[i + j] += std::uint32_t(bgrx[i + j]) * weight;
        }
    }

    void emitRow(int o) {
        constexpr int kShift = 2 * kWeightBits - kColumnShift;
        constexpr std::uint32_t kHalf = 1u << (kShift - 1);
        std::vector<std::uint32_t>& sum = sums_[o & 1];
        auto* line = reinterpret_cast<QRgb*>(out_.scanLine(o));
        const std::uint32_t* weights = columns_.weights.data();
        for (int x = 0; x < width_; ++x) {
            const Tap& tap = columns_.taps[std::size_t(x)];
            const std::uint32_t* pixel = sum.data() + 4 * std::size_t(tap.first);
            std::uint32_t b = kHalf, g = kHalf, r = kHalf;
            for (int k = 0; k < tap.count; ++k, pixel += 4) {
                const std::uint32_t weight = weights[tap.offset + k];
                b += (pixel[0] >> kColumnShift) * weight;
                g += (pixel[1] >> kColumnShift) * weight;
                r += (pixel[2] >> kColumnShift) * weight;
            }
            line[x] = 0xFF000000u | (r >> kShift) << 16 | (g >> kShift) << 8 | (b >> kShift);
        }
        std::fill(sum.begin(), sum.end(), 0);
        next_ = o + 1;
    }

    QImage& out_;
    const int width_;
    const int height_;
    const AxisTaps columns_;
    const AxisTaps rows_;
    std::vector<std::uint32_t> sums_[2];  // column sums of the output rows next_ and next_ + 1
    int next_ = 0;                        // the first output row not yet written
    int y_ = 0;                           // the input row that comes next
};

// --- Decoding ----------------------------------------------------------------------------------

/// libjpeg's state for one picture. Plain data only: the steps that may jump back through
/// setjmp must not skip any destructor.
struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    FileSource source;
};

bool supportedColourSpace(J_COLOR_SPACE space) {
    return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB;
}

/// Reads the header and picks the smallest M/8 whose output covers size. False when libjpeg
/// failed; unsupported is set for colour spaces that do not become RGB.
bool prepare(Decoder& d, QSize size, std::int64_t memoryLimit, bool* unsupported) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.src = &d.source.manager;
    d.cinfo.mem->max_memory_to_use = long(memoryLimit);
    jpeg_read_header(&d.cinfo, TRUE);
    *unsupported = !supportedColourSpace(d.cinfo.jpeg_color_space);
    if (*unsupported)
        return true;
    d.cinfo.out_color_space = JCS_EXT_BGRX;
    d.cinfo.scale_denom = 8;
    for (unsigned m = 1; m <= 8; ++m) {
        d.cinfo.scale_num = m;
        jpeg_calc_output_dimensions(&d.cinfo);
        if (int(d.cinfo.output_width) >= size.width() &&
            int(d.cinfo.output_height) >= size.height())
            break;
    }
    return true;
}

/// Fills a batch of the pipeline with the next decoded rows; how many it holds.
int decodeBatch(Decoder& d, JSAMPLE* batch, std::size_t rowBytes) {
    int count = 0;
    while (count < RowPipeline::kBatchRows && d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW rows[RowPipeline::kBatchRows];
        for (int i = count; i < RowPipeline::kBatchRows; ++i)
            rows[i - count] = batch + std::size_t(i) * rowBytes;
        count +=
            int(jpeg_read_scanlines(&d.cinfo, rows, JDIMENSION(RowPipeline::kBatchRows - count)));
    }
    return count;
}

bool stopped(const std::atomic<bool>* stop) {
    return stop && stop->load(std::memory_order_relaxed);
}

/// Decodes every row straight into image, which is the size of the decoded picture. False when
/// libjpeg failed or stop was set.
bool decodeInto(Decoder& d, QImage& image, const std::atomic<bool>* stop) {
    if (setjmp(d.errors.jump))
        return false;
    // RGB32 pixels are 0xFFRRGGBB words: the bytes of opaque BGRA where the low byte comes
    // first, of ARGB otherwise.
    d.cinfo.out_color_space =
        std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    jpeg_start_decompress(&d.cinfo);
    const int last = image.height() - 1;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        if (stopped(stop))
            return false;
        JSAMPROW rows[RowPipeline::kBatchRows];
        for (int i = 0; i < RowPipeline::kBatchRows; ++i)
            rows[i] = image.scanLine(std::min(int(d.cinfo.output_scanline) + i, last));
        jpeg_read_scanlines(&d.cinfo, rows, RowPipeline::kBatchRows);
    }
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

/// Decodes every row into the pipeline, whose consumer scales them meanwhile. False when
/// libjpeg failed or stop was set.
bool decodeRows(Decoder& d, RowPipeline& pipeline, std::size_t rowBytes,
                const std::atomic<bool>* stop) {
    if (setjmp(d.errors.jump))
        return false;
    jpeg_start_decompress(&d.cinfo);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        if (stopped(stop))
            return false;
        JSAMPLE* batch = pipeline.freeBatch();
        pipeline.submit(decodeBatch(d, batch, rowBytes));
    }
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

/// Destroys libjpeg's state when it goes.
struct DecoderCleanup {
    Decoder* decoder;
    ~DecoderCleanup() { jpeg_destroy_decompress(&decoder->cinfo); }
};

ScaledJpeg failed(const std::string& reason) {
    return {ScaledJpeg::Status::Failed, {}, reason};
}

/// Why decoding ended early: libjpeg's message, or the program's end.
std::string whyNot(const Decoder& d) {
    return d.errors.message[0] ? d.errors.message : "decoding was stopped";
}

}  // namespace

ScaledJpeg decodeScaledJpeg(int fd, QSize size, std::int64_t memoryLimit,
                            const std::atomic<bool>* stop) {
    if (size.isEmpty())
        return failed("no size to decode to");
    auto decoder = std::make_unique<Decoder>();
    std::vector<JOCTET> input(kReadChunk);
    Decoder& d = *decoder;
    d.cinfo.err = jpeg_std_error(&d.errors.manager);
    d.errors.manager.error_exit = errorExit;
    d.errors.manager.output_message = outputMessage;
    d.source.manager = {
        nullptr, 0, initSource, fillInputBuffer, skipInputData, jpeg_resync_to_restart, termSource};
    d.source.fd = fd;
    d.source.offset = 0;
    d.source.buffer = input.data();
    const DecoderCleanup cleanup{decoder.get()};

    bool unsupported = false;
    if (!prepare(d, size, memoryLimit, &unsupported))
        return failed(d.errors.message);
    if (unsupported)
        return {ScaledJpeg::Status::Unsupported, {}, {}};
    const int decodedWidth = int(d.cinfo.output_width);
    const int decodedHeight = int(d.cinfo.output_height);
    if (decodedWidth < size.width() || decodedHeight < size.height())
        return failed("the picture is smaller than the size asked for");
    QImage image = platform::pagedImage(size, QImage::Format_RGB32);
    if (image.isNull())
        return failed("not enough memory for the picture");
    if (QSize(decodedWidth, decodedHeight) == size) {
        if (!decodeInto(d, image, stop))
            return failed(whyNot(d));
        return {ScaledJpeg::Status::Decoded, std::move(image), {}};
    }
    AreaScaler scaler(decodedWidth, decodedHeight, image);
    const std::size_t rowBytes = AreaScaler::paddedRowBytes(decodedWidth);
    RowPipeline pipeline(rowBytes, [&scaler](const JSAMPLE* row) { scaler.addRow(row); });
    if (!pipeline.ok())
        return failed("not enough memory for the picture");
    const bool decoded = decodeRows(d, pipeline, rowBytes, stop);
    pipeline.finish();  // every row scaled, or the scaler stopped, before image is touched
    if (!decoded)
        return failed(whyNot(d));
    return {ScaledJpeg::Status::Decoded, std::move(image), {}};
}

}  // namespace muralto::imaging

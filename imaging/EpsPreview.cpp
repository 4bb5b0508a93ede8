#include "imaging/EpsPreview.h"

#include "imaging/wmf/WmfFormat.h"

namespace muralto::imaging {

namespace {

struct Section {
    std::uint32_t offset = 0, length = 0;
    bool present() const { return length > 0; }
    bool within(std::uint64_t size) const {
        return !present() || (offset <= size && length <= size - offset);
    }
};

Section readSection(WmfReader& reader) {
    Section section;
    section.offset = reader.u32();
    section.length = reader.u32();
    return section;
}

}  // namespace

bool looksLikeBinaryEps(std::string_view bytes) {
    return bytes.size() >= 4 && bytes.substr(0, 4) == "\xC5\xD0\xD3\xC6";
}

EpsHeader readEpsHeader(std::string_view header, std::uint64_t fileSize, bool tiffReadable) {
    if (header.size() < kEpsHeaderBytes || !looksLikeBinaryEps(header))
        return {{}, "the EPS header is incomplete"};
    WmfReader reader(header.substr(4));
    const Section postScript = readSection(reader);
    const Section wmf = readSection(reader);
    const Section tiff = readSection(reader);
    if (!postScript.within(fileSize) || !wmf.within(fileSize) || !tiff.within(fileSize))
        return {{}, "the EPS header points past the end of the file"};
    if (tiff.present() && (tiffReadable || !wmf.present()))
        return {{EpsPreview::Kind::Tiff, tiff.offset, tiff.length}, {}};
    if (wmf.present())
        return {{EpsPreview::Kind::Wmf, wmf.offset, wmf.length}, {}};
    return {{}, "the EPS file has no preview (PostScript is not drawn)"};
}

}  // namespace muralto::imaging

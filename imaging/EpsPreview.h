#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace muralto::imaging {

/// Bytes of the binary header that EPS files with a preview start with.
inline constexpr std::size_t kEpsHeaderBytes = 30;

/// Whether bytes start with the binary EPS header's mark (C5 D0 D3 C6).
bool looksLikeBinaryEps(std::string_view bytes);

/// The preview section that a binary EPS header points to.
struct EpsPreview {
    enum class Kind { Tiff, Wmf };
    Kind kind = Kind::Tiff;
    std::uint32_t offset = 0, length = 0;
};

/// What a binary EPS header says: the preview to show, or why there is none.
struct EpsHeader {
    EpsPreview preview;
    std::string error;  ///< empty when preview holds the section to show
};

/// Reads the binary header (the first kEpsHeaderBytes of a file of fileSize bytes): the offsets
/// and lengths of its PostScript, metafile and TIFF sections. The TIFF preview is taken when
/// there is one and tiffReadable, else the metafile preview. Fails when the header is short,
/// a section reaches past the end of the file, or there is no preview to show.
EpsHeader readEpsHeader(std::string_view header, std::uint64_t fileSize, bool tiffReadable);

}  // namespace muralto::imaging

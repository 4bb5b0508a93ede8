#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace muralto::bench {

/// What makeFileTree created.
struct TreeSummary {
    std::size_t files = 0;       ///< regular files written
    std::size_t candidates = 0;  ///< of them, names the catalogue takes as pictures
    std::size_t folders = 0;     ///< folders below the root, the root not counted
    std::string error;           ///< empty on success
};

/// Creates root (which must not exist yet, its parent must) holding fileCount empty files in
/// nested folders: about a hundred files to a folder, folders ten to a parent, names with a mix
/// of extensions in both letter cases (".jpg", ".JPG", ".bmp", ".gif", ".eps", ".wmf", ".png",
/// ".txt", ".jpeg", none) and some hidden files. The same count gives the same tree. With a
/// picture (the bytes of a picture file), every candidate holds it, most as hard links, so an
/// update over the tree finds a picture that loads.
TreeSummary makeFileTree(const std::string& root, std::size_t fileCount,
                         const std::string& picture = {});

/// A 252-byte progressive JPEG that declares 30000 x 30000 pixels in 4:2:0 and stops after a
/// few bytes of its first scan. A decoder that trusts the header buffers 1.35 billion DCT
/// coefficients (2.7 GB) before it finds the data missing.
std::string hostileJpegBytes();

/// Writes a hive file of count newsgroup entries as a save writes them, each with three subject
/// filters; lacking leaves out every entry's smallest file size, which the next save adds.
void writeGroupsHive(const std::string& file, int count, bool lacking);

/// Writes bytes to path, replacing it; empty or what failed.
std::string writeFileBytes(const std::string& path, const std::string& bytes);

}  // namespace muralto::bench

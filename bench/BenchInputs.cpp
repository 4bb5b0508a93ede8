#include "bench/BenchInputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace muralto::bench {

namespace {

constexpr std::size_t kFilesPerFolder = 100;
constexpr std::size_t kFoldersPerParent = 10;
/// Candidates that share one copy of the picture as hard links (file systems allow 65,000 links
/// or more to a file), so a large tree of pictures costs little more than one of empty files.
constexpr std::size_t kLinksPerCopy = 10000;

struct NameKind {
    const char* suffix;
    bool candidate;
};

/// The extensions of the tree, in turn; candidates are the catalogue's four-letter endings.
constexpr std::array<NameKind, 12> kNameKinds = {{{".jpg", true},
                                                  {".txt", false},
                                                  {".JPG", true},
                                                  {".png", false},
                                                  {".bmp", true},
                                                  {".jpeg", false},
                                                  {".Gif", true},
                                                  {"", false},
                                                  {".eps", true},
                                                  {".xmp", false},
                                                  {".wmf", true},
                                                  {".html", false}}};

std::string systemError(const std::string& what, const std::string& path) {
    return what + " '" + path + "': " + std::strerror(errno);
}

/// The folders of the tree, parents before children: folder i (1-based) sits in folder
/// (i - 1) / kFoldersPerParent, folder 0 being the root.
std::vector<std::string> folderPaths(const std::string& root, std::size_t count) {
    std::vector<std::string> paths{root};
    paths.reserve(count + 1);
    for (std::size_t i = 1; i <= count; ++i) {
        const std::string& parent = paths[(i - 1) / kFoldersPerParent];
        paths.push_back(parent + "/d" + std::to_string(i));
    }
    return paths;
}

std::string fileName(std::size_t index) {
    const NameKind& kind = kNameKinds[index % kNameKinds.size()];
    const char* prefix = index % 37 == 0 ? ".hidden_" : "file_";
    return prefix + std::to_string(index) + kind.suffix;
}

bool createEmptyFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

/// Writes the candidates' picture: a fresh copy for every kLinksPerCopy of them, hard links to
/// the copy for the others. Empty on success, or what failed.
class PictureFiles {
public:
    explicit PictureFiles(const std::string& bytes) : bytes_(bytes) {}

    std::string create(const std::string& path) {
        if (written_++ % kLinksPerCopy == 0) {
            copy_ = path;
            return writeFileBytes(path, bytes_);
        }
        return ::link(copy_.c_str(), path.c_str()) == 0 ? std::string()
                                                        : systemError("cannot link", path);
    }

private:
    const std::string& bytes_;
    std::string copy_;
    std::size_t written_ = 0;
};

void append16(std::string& out, unsigned value) {
    out.push_back(char((value >> 8) & 0xFF));
    out.push_back(char(value & 0xFF));
}

}  // namespace

TreeSummary makeFileTree(const std::string& root, std::size_t fileCount,
                         const std::string& picture) {
    TreeSummary summary;
    const std::size_t folders = fileCount / kFilesPerFolder;
    const std::vector<std::string> paths = folderPaths(root, folders);
    for (const std::string& folder : paths) {
        if (::mkdir(folder.c_str(), 0755) != 0) {
            summary.error = systemError("cannot create folder", folder);
            return summary;
        }
    }
    summary.folders = folders;
    PictureFiles pictures(picture);
    for (std::size_t i = 0; i < fileCount; ++i) {
        const std::string path = paths[i % paths.size()] + "/" + fileName(i);
        const bool candidate = kNameKinds[i % kNameKinds.size()].candidate;
        if (candidate && !picture.empty()) {
            summary.error = pictures.create(path);
        } else if (!createEmptyFile(path)) {
            summary.error = systemError("cannot create file", path);
        }
        if (!summary.error.empty())
            return summary;
        ++summary.files;
        if (candidate)
            ++summary.candidates;
    }
    return summary;
}

std::string hostileJpegBytes() {
    constexpr unsigned kSide = 30000;
    std::string jpeg = "\xFF\xD8";  // start of image
    // One quantisation table, all ones.
    jpeg += "\xFF\xDB";
    append16(jpeg, 2 + 1 + 64);
    jpeg.push_back('\0');
    jpeg.append(64, '\x01');
    // Progressive frame: 8 bits, 30000 x 30000, Y at 2x2, Cb and Cr at 1x1, all on table 0.
    jpeg += "\xFF\xC2";
    append16(jpeg, 2 + 6 + 3 * 3);
    jpeg.push_back('\x08');
    append16(jpeg, kSide);
    append16(jpeg, kSide);
    jpeg.push_back('\x03');
    jpeg += std::string("\x01\x22\x00\x02\x11\x00\x03\x11\x00", 9);
    // A DC Huffman table with one code: '0' for a difference of category 0.
    jpeg += "\xFF\xC4";
    append16(jpeg, 2 + 1 + 16 + 1);
    jpeg.push_back('\0');
    jpeg.push_back('\x01');
    jpeg.append(15, '\0');
    jpeg.push_back('\0');
    // The first scan: the DC coefficients of all three components.
    jpeg += "\xFF\xDA";
    append16(jpeg, 2 + 1 + 3 * 2 + 3);
    jpeg.push_back('\x03');
    jpeg += std::string("\x01\x00\x02\x00\x03\x00", 6);
    jpeg += std::string("\x00\x00\x00", 3);  // spectral selection 0..0, no approximation
    // A little entropy-coded data, far less than the frame needs, then the end.
    constexpr std::size_t kTotal = 252;
    jpeg.append(kTotal - jpeg.size() - 2, '\0');
    jpeg += "\xFF\xD9";
    return jpeg;
}

std::string writeFileBytes(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return systemError("cannot create", path);
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    const bool complete = written == ssize_t(bytes.size());
    std::string error = complete ? std::string() : systemError("cannot write", path);
    if (::close(fd) != 0 && error.empty())
        error = systemError("cannot write", path);
    return error;
}

void writeGroupsHive(const std::string& file, int count, bool lacking) {
    std::ofstream out(file, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\n\n";
    for (int i = 0; i < count; ++i) {
        out << "[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto\\Settings\\Newsgroups\\"
            << "alt.binaries.pictures.group" << i << "]\n"
            << "\"MaxFiles\"=\"" << i << "\"\n"
            << (lacking ? "" : "\"MinFileSize\"=\"1024\"\n")
            << "\"FileTypes\"=\"*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;\"\n"
            << "\"SubjectFilters\"=\"spam\\r\\nfor sale\\r\\nwanted\\r\\n\"\n\n";
    }
}

}  // namespace muralto::bench

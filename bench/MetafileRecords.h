#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

namespace muralto::bench {

/// Writes the records of a metafile: 16-bit words, little-endian.
class MetafileRecords {
public:
    void words(std::initializer_list<int> values) {
        for (const int value : values)
            word(value);
    }
    void word(int value) {
        bytes_.push_back(char(value & 0xFF));
        bytes_.push_back(char((value >> 8) & 0xFF));
    }
    /// Starts a record of the given parameter words; its parameters follow.
    void record(int function, std::size_t parameterWords) {
        const std::size_t size = 3 + parameterWords;
        words({int(size & 0xFFFF), int(size >> 16), function});
    }
    void raw(const std::string& bytes) { bytes_ += bytes; }
    std::size_t size() const { return bytes_.size(); }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

/// A whole metafile of a 1920 x 1080 frame at 96 units an inch around records (which end with
/// the end-of-file record), its table holding objects objects.
inline std::string placeableMetafile(const MetafileRecords& records, int objects) {
    MetafileRecords file;
    file.words({0xCDD7, 0x9AC6, 0, 0, 0, 1920, 1080, 96, 0, 0, 0});
    const std::size_t total = (18 + records.size()) / 2;
    file.words({1, 9, 0x0300, int(total & 0xFFFF), int(total >> 16), objects, 0, 0, 0});
    return file.bytes() + records.bytes();
}

}  // namespace muralto::bench

#pragma once

#include <filesystem>
#include <string>

namespace muralto::test {

/// A fresh folder below $TMPDIR, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    /// Writes a file below the folder, creating its folders.
    std::filesystem::path write(const std::filesystem::path& relative,
                                const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

/// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

}  // namespace muralto::test

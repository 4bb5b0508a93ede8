#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "HiveFile.h"
#include "Registry.h"

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

/// A registry kept in a temporary folder: the user's hive in "HKCU.reg", a read-only machine
/// hive beside it.
struct TempRegistry {
    TempDir dir;
    std::filesystem::path hivePath = dir.path() / "HKCU.reg";
    platform::HiveRegistry registry{
        std::make_shared<platform::HiveFile>(hivePath, "HKEY_CURRENT_USER"),
        std::make_shared<platform::HiveFile>(dir.path() / "HKLM.reg", "HKEY_LOCAL_MACHINE",
                                             /*readOnly=*/true)};
};

/// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

}  // namespace muralto::test

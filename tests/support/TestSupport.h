#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/HiveFile.h"
#include "platform/Registry.h"

namespace muralto::test {

/// A fresh folder below $TMPDIR, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    /// Writes a file below the folder, creating its folders.
    std::filesystem::path write(const std::filesystem::path& relative,
                                const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

/// A registry in a temporary folder: the user's hive in "HKCU.reg", a read-only machine hive.
struct TempRegistry {
    TempDir dir;
    std::filesystem::path hivePath = dir.path() / "HKCU.reg";
    /// The user's hive, which tells how often it was written.
    std::shared_ptr<platform::HiveFile> userHive =
        std::make_shared<platform::HiveFile>(hivePath, "HKEY_CURRENT_USER");
    platform::HiveRegistry registry{
        userHive, std::make_shared<platform::HiveFile>(dir.path() / "HKLM.reg",
                                                       "HKEY_LOCAL_MACHINE", /*readOnly=*/true)};
};

/// INSTANTIATE_TEST_SUITE_P's name generator for rows with a `name`.
inline constexpr auto byName = [](const auto& info) { return std::string(info.param.name); };

/// Polls condition every millisecond until it holds or the time is up; whether it holds.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds limit = std::chrono::seconds(5));

/// Handles the application's events until done() holds or the time is up; whether it holds.
bool processUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(5));

/// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

}  // namespace muralto::test

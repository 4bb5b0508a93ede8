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

/// Selects Qt's offscreen platform with one fixed screen of 1024x768 pixels at 96 DPI, or at
/// another logical DPI (with as many more pixels, so the screen keeps its size in inches). The
/// base DPI is the same, so Qt does not scale: the program's own twips conversion sees the DPI.
/// Call it before the application object is made. The screen's file is written below $TMPDIR,
/// so the tests run wherever the checkout lives and whoever runs them.
void useOffscreenScreen(int dpi = 96);

/// A test name for a case given as text: letters and digits stay, other characters become short
/// words ("-" minus, "." dot, " " _, ...), the case's position goes first so names stay unique.
/// For INSTANTIATE_TEST_SUITE_P's name generator.
std::string caseName(std::size_t index, std::string_view text);

/// Names each case of a table after its row's `name`: INSTANTIATE_TEST_SUITE_P's name generator.
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

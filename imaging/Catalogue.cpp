#include "imaging/Catalogue.h"

#include <algorithm>
#include <filesystem>

#include "folders/DirectoryScan.h"
#include "imaging/PlayOrder.h"

namespace muralto::imaging {

bool Catalogue::needsScan(const settings::ImageSettings& settings) const {
    const bool keep = gsImageList.size() > 1 && !settings.ReScan && bScanned;
    return !keep;
}

namespace {

/// A relative directory taken from the program's folder, which stands in for the working
/// directory; empty when that folder is not absolute either.
std::string fromProgramDirectory(const std::string& relative, const std::string& programDirectory) {
    if (!programDirectory.starts_with('/'))
        return {};
    return programDirectory + (programDirectory.ends_with('/') ? "" : "/") + relative;
}

/// The folder of a path, resolved so that two spellings of one folder compare equal.
std::string realFolder(const std::string& path) {
    std::error_code ec;
    const auto folder = std::filesystem::path(path).parent_path();
    const auto real = std::filesystem::canonical(folder, ec);
    return ec ? folder.string() : real.string();
}

/// Whether name is "<stem>.bmp" or "<stem>~<digits>.bmp".
bool isBitmapName(std::string_view name, std::string_view stem) {
    if (!name.starts_with(stem) || !name.ends_with(".bmp"))
        return false;
    std::string_view middle = name.substr(stem.size(), name.size() - stem.size() - 4);
    if (middle.empty())
        return true;
    if (middle.front() != '~' || middle.size() < 2)
        return false;
    return std::all_of(middle.begin() + 1, middle.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string Catalogue::checkDirectory(const std::string& directory,
                                      const std::string& programDirectory) {
    if (!directory.starts_with('/'))
        return fromProgramDirectory(directory, programDirectory);
    // Each step may fail; a failed one falls back, and nothing here stops the update.
    if (!lists_.selectDrive(directory))
        lists_.selectDrive(programDirectory);
    if (lists_.selectDirectory(directory))
        return directory;
    lists_.selectDirectory(lists_.currentDirectoryOfDrive());
    return lists_.directory();
}

void Catalogue::removeOwnBitmaps() {
    if (ownBitmap_.empty())
        return;
    const std::filesystem::path own(ownBitmap_);
    const std::string stem = own.stem().string();
    std::string ownFolder;
    auto isOwn = [&](const std::string& path) {
        const std::size_t slash = path.rfind('/');
        const std::string_view name = std::string_view(path).substr(slash + 1);
        if (!isBitmapName(name, stem))
            return false;
        if (ownFolder.empty())
            ownFolder = realFolder(ownBitmap_);
        return realFolder(path) == ownFolder;
    };
    gsImageList.erase(std::remove_if(gsImageList.begin() + 1, gsImageList.end(), isOwn),
                      gsImageList.end());
}

std::string Catalogue::refresh(const std::string& path, const std::string& programDirectory,
                               const std::atomic<bool>* stop) {
    gsImageList.assign(1, std::string());
    std::string directory =
        checkDirectory(path.empty() ? programDirectory : path, programDirectory);
    if (!directory.empty()) {
        if (directory.back() != '/')
            directory.push_back('/');
        AddImageFiles(directory, gsImageList, stop);
        removeOwnBitmaps();
    }
    if (stop && *stop) {
        resetImageList();
        return directory;
    }
    ShufflePlayOrder(gsImageList, gsPlayOrder, random_);
    bScanned = true;
    return directory;
}

std::optional<Choice> Catalogue::nextImage(const settings::ImageSettings& settings,
                                           const std::string& programDirectory,
                                           const std::atomic<bool>* stop) {
    if (needsScan(settings))
        scannedDirectory_ = refresh(settings.Path, programDirectory, stop);
    if (gsPlayOrder.size() <= 1 && gsImageList.size() > 1) {
        ShufflePlayOrder(gsImageList, gsPlayOrder, random_);
    }
    if (gsPlayOrder.size() <= 1 || gsImageList.size() <= 1)
        return std::nullopt;
    Choice choice{gsImageList[gsPlayOrder.back()], scannedDirectory_};
    gsPlayOrder.pop_back();
    return choice;
}

}  // namespace muralto::imaging

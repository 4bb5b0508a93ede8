#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "folders/DirectoryLists.h"
#include "platform/RandomSource.h"
#include "settings/ProgramSettings.h"

namespace muralto::imaging {

/// The image chosen by one update.
struct Choice {
    std::string path;       ///< full path of the image
    std::string directory;  ///< the image directory the path was found below, ending in '/'

    /// The path relative to the image directory, as written below the picture.
    std::string caption() const {
        return path.substr(path.starts_with(directory) ? directory.size() : 0);
    }
};

/// The list of candidate images, the play order of the current cycle, and the choice of the
/// next image. Each image is shown once per cycle in random order; the list is scanned again
/// when it is empty, at the first update, and at every update that asks for a fresh scan.
class Catalogue {
public:
    /// random draws the play order; lists check and repair the image directory before a scan.
    /// Both must outlive the catalogue.
    Catalogue(platform::RandomSource& random, DirectoryLists& lists)
        : random_(random), lists_(lists) {}

    /// Empties the image list, so that the next update scans the folder again (and starts a
    /// new cycle, so the play order goes with it).
    void resetImageList() {
        gsImageList.assign(1, std::string());
        gsPlayOrder.assign(1, 0);
    }

    /// The catalogue steps of one update with the settings in force: refreshes the list when
    /// needed (empty Path = programDirectory; an absolute directory is checked and repaired
    /// first, a relative one is taken from programDirectory), starts a new cycle when the current
    /// one is used up, and takes the next image. Nothing when the tree holds no candidate image.
    /// A scan stopped by stop leaves the list empty, to be scanned again by the next update.
    std::optional<Choice> nextImage(const settings::ImageSettings& settings,
                                    const std::string& programDirectory,
                                    const std::atomic<bool>* stop = nullptr);

    /// Names the wallpaper bitmap the program writes. It and its numbered copies
    /// ("<name>~<n>.bmp" beside it) are never candidates: otherwise, with pictures taken from
    /// the program's own folder, the program would show its previous composition again.
    void setOwnBitmap(std::string bitmapPath) { ownBitmap_ = std::move(bitmapPath); }

    /// Candidate image paths; element 0 is empty.
    const std::vector<std::string>& imageList() const { return gsImageList; }
    /// Positions in imageList() of the images of the current cycle not shown yet, the next one
    /// last; element 0 is 0.
    const std::vector<std::uint32_t>& playOrder() const { return gsPlayOrder; }
    /// Whether a scan has taken place in this process.
    bool scanned() const { return bScanned; }

private:
    bool needsScan(const settings::ImageSettings& settings) const;
    /// Scans the image directory afresh and returns the directory it settled on.
    std::string refresh(const std::string& path, const std::string& programDirectory,
                        const std::atomic<bool>* stop);
    /// The directory to scan: an absolute one that exists as written, else the fallback that
    /// the directory lists give. Relative ones pass unchecked, taken from the program's folder;
    /// empty (nothing to scan) when that folder is unknown.
    std::string checkDirectory(const std::string& directory, const std::string& programDirectory);

    platform::RandomSource& random_;
    DirectoryLists& lists_;
    std::vector<std::string> gsImageList{""};
    std::vector<std::uint32_t> gsPlayOrder{0};
    bool bScanned = false;
    /// Drops the program's own bitmaps from the image list.
    void removeOwnBitmaps();

    std::string ownBitmap_;
    /// The directory the list was scanned from: the captions are measured against it.
    std::string scannedDirectory_;
};

}  // namespace muralto::imaging

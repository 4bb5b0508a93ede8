#include "folders/BoundedFolderProbe.h"

#include "folders/MountTable.h"

namespace muralto::imaging {

BoundedFolderProbe::BoundedFolderProbe(std::string mountInfoPath,
                                       std::chrono::milliseconds deadline,
                                       std::shared_ptr<FolderProbe> inner)
    : mountInfoPath_(std::move(mountInfoPath)),
      inner_(inner ? std::move(inner) : std::make_shared<DirectFolderProbe>(mountInfoPath_)),
      runner_(deadline) {}

std::string BoundedFolderProbe::realDriveOf(const std::string& absolutePath) {
    const auto drive = runner_.run<std::string>(
        keyOf(absolutePath),
        [inner = inner_, absolutePath] { return inner->realDriveOf(absolutePath); });
    return drive.value_or(std::string());
}

bool BoundedFolderProbe::isUsableDirectory(const std::string& absolutePath) {
    const auto usable = runner_.run<bool>(keyOf(absolutePath), [inner = inner_, absolutePath] {
        return inner->isUsableDirectory(absolutePath);
    });
    return usable.value_or(false);
}

bool BoundedFolderProbe::waitingOn(const std::string& absolutePath) const {
    return runner_.busy(keyOf(absolutePath));
}

std::string BoundedFolderProbe::keyOf(const std::string& path) const {
    const std::vector<Mount> table = ReadMountTable(mountInfoPath_);
    const Mount* mount = MountHolding(table, path);
    return mount ? mount->mountPoint : std::string("/");
}

}  // namespace muralto::imaging

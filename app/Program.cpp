#include "Program.h"

#include <cstdio>

#include "BitmapWriter.h"
#include "BoundedFolderProbe.h"
#include "DirectoryLists.h"

namespace muralto::app {

using settings::kAppTitle;
using settings::kSettingsSection;

Program::Program(Services services)
    : services_(services),
      tools_(services.registry, services.boxes),
      settings_(tools_),
      timer_([this] { return settingsInForce().Delay; }, [this] { UpdateImage(); }) {}

Program::~Program() = default;

const settings::ImageSettings& Program::settingsInForce() const {
    const bool saver = glRunMode == kSaverMode || glRunMode == kPreviewMode;
    return saver ? settings_.SaverSettings : settings_.WallpaperSettings;
}

void Program::resetImageList() {
    if (catalogue_)
        catalogue_->resetImageList();
}

void Program::askDefaultScreenSaver() {
    if (tools_.GetINIValue(kAppTitle, kSettingsSection, "AskDefSS", "") == "1")
        return;
    const auto answer = services_.boxes.askYesNo(kAppTitle, kDefaultSaverQuestion);
    if (answer == platform::MessageBoxes::Answer::Yes) {
        services_.installer.install(services_.system.programDirectory() + "/" +
                                    services_.system.programFileName());
    }
    tools_.PutINIValue(kAppTitle, kSettingsSection, "AskDefSS", "1");
}

Program::Outcome Program::Main(const CommandLine& commandLine, ProgramWindows* windows,
                               imaging::ImageOutput* imageOutput) {
    DefaultFileTypes = services_.strings.LoadResString(2001).value_or("");

    glRunMode = commandLine.runMode;
    windows_ = windows;
    if (commandLine.passwordChange) {
        if (!services_.system.isWinNT()) {
            services_.passwords.changePassword("SCRSAVE", commandLine.passwordParent);
        }
        return Outcome::EndNow;
    }
    gbSaverPage = glRunMode == kOptionsMode;
    if (glRunMode == kWallpaperMode)
        askDefaultScreenSaver();

    services_.random.seedFromTimeOfDay();
    settings_.LoadSettings(services_.system.programDirectory());
    if (!windows || !imageOutput || (glRunMode != kWallpaperMode && glRunMode != kOptionsMode))
        return Outcome::Running;

    // The saver and preview modes build on the same steps when their windows land.
    // A picture folder on a mount that does not answer counts as missing instead of hanging.
    lists_ = std::make_unique<imaging::MountDirectoryLists>(
        services_.system.programDirectory(), std::make_shared<imaging::BoundedFolderProbe>());
    catalogue_ = std::make_unique<imaging::Catalogue>(services_.random, *lists_);
    updater_ = std::make_unique<imaging::ImageUpdater>(
        *catalogue_, *imageOutput,
        imaging::wallpaperBitmapPath(services_.system.programDirectory(),
                                     services_.system.userName()));
    chars = windows_->measureCanvasFont();
    startWindows();
    resetImageList();
    if (glRunMode != kOptionsMode)
        UpdateImage();
    return Outcome::Running;
}

void Program::startWindows() {
    tools_.PutINIValue(kAppTitle, kSettingsSection, "SSActive", "False");
    windows_->restoreOptionsWindowPlacement();
    const bool startupOnly = settings_.WallpaperSettings.StartupOnly;
    if (glRunMode == kWallpaperMode) {
        windows_->addTrayIcon();
        if (!startupOnly)
            StartTimer();
    }
    windows_->showOptionsWindow();
    if (startupOnly || glRunMode == kOptionsMode)
        windows_->restoreOptionsWindowIfMinimised();
}

imaging::UpdateResult Program::UpdateImage() {
    if (!updater_ || !windows_)
        return imaging::UpdateResult::NoImage;
    imaging::UpdateRequest request;
    request.makesWallpaper = glRunMode == kWallpaperMode || glRunMode == kOptionsMode;
    if (request.makesWallpaper && wallpaperUnsupported_)
        return imaging::UpdateResult::Unsupported;
    request.preview = glRunMode == kPreviewMode;
    request.settings = settingsInForce();
    request.area = windows_->screenSize();
    request.chars = chars;
    request.programDirectory = services_.system.programDirectory();
    const imaging::UpdateResult result = updater_->UpdateImage(request);
    if (result == imaging::UpdateResult::Failed) {
        std::fprintf(stderr, "muralto: %s\n", updater_->lastError().c_str());
    } else if (result == imaging::UpdateResult::Unsupported) {
        reportWallpaperUnsupported();
    }
    return result;
}

void Program::reportWallpaperUnsupported() {
    wallpaperUnsupported_ = true;
    const std::string text = "The wallpaper cannot be changed: " + updater_->lastError() +
                             ". Muralto leaves it alone until its settings are saved again.";
    std::fprintf(stderr, "muralto: %s\n", text.c_str());
    windows_->notify(text);
}

void Program::EndProgram() {
    if (bEnding)
        return;
    bEnding = true;
    if (!windows_)
        return;
    if (glRunMode == kWallpaperMode) {
        windows_->removeTrayIcon();
        windows_->saveOptionsWindowPlacement();
    }
    windows_->unloadOptionsWindow();
    windows_->unloadImageWindow();
    if (glRunMode == kSaverMode) {
        windows_->setScreenSaverRunning(false);
        tools_.PutINIValue(kAppTitle, kSettingsSection, "SSActive", "False");
        windows_->showCursor(true);
    }
    windows_->saveGroups();
    windows_->endProcess();
}

}  // namespace muralto::app

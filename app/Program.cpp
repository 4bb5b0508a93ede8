#include "app/Program.h"

#include <cstdio>

#include "folders/BoundedFolderProbe.h"
#include "folders/DirectoryLists.h"
#include "imaging/BitmapWriter.h"
#include "platform/ProgramIdentity.h"
#include "settings/Conversions.h"

namespace muralto::app {

using platform::kProgramTitle;
using settings::kSettingsSection;
using settings::RunMode;

Program::Program(Services services)
    : services_(services),
      tools_(services.registry, services.boxes),
      settings_(tools_),
      timer_([this] { return settingsInForce().Delay; }, [this] { UpdateImage(); }) {}

Program::~Program() = default;

const settings::ImageSettings& Program::settingsInForce() const {
    return settings::isSaverRun(glRunMode) ? settings_.SaverSettings : settings_.WallpaperSettings;
}

void Program::resetImageList() {
    if (updater_)
        updater_->resetImageList();
}

bool Program::finishWork(std::chrono::milliseconds deadline) {
    return !jobs_ || jobs_->waitForWork(deadline);
}

void Program::askDefaultScreenSaver() {
    if (tools_.GetINIValue(kProgramTitle, kSettingsSection, "AskDefSS", "") == "1")
        return;
    const auto answer = services_.boxes.askYesNo(kProgramTitle, kDefaultSaverQuestion);
    if (answer == platform::MessageBoxes::Answer::Yes) {
        services_.installer.install(services_.system.programDirectory() + "/" +
                                    services_.system.programFileName());
    }
    tools_.PutINIValue(kProgramTitle, kSettingsSection, "AskDefSS", "1");
}

Program::Outcome Program::Main(const CommandLine& commandLine, ProgramWindows* windows,
                               imaging::ImageOutput* imageOutput) {
    DefaultFileTypes = services_.strings.LoadResString(2001).value_or("");

    glRunMode = commandLine.runMode;
    windows_ = windows;
    // Linux keeps no password of the saver's own: locking is the session locker's job.
    if (commandLine.passwordChange)
        return Outcome::EndNow;
    gbSaverPage = glRunMode == RunMode::Options;
    if (glRunMode == RunMode::Wallpaper)
        askDefaultScreenSaver();

    services_.random.seedFromTimeOfDay();
    settings_.LoadSettings(services_.system.programDirectory());
    if (!windows || !imageOutput)
        return Outcome::Running;

    // A picture folder on a mount that does not answer counts as missing instead of hanging.
    std::shared_ptr<imaging::FolderProbe> probe = services_.folderProbe;
    if (!probe)
        probe = std::make_shared<imaging::BoundedFolderProbe>();
    lists_ = std::make_unique<imaging::MountDirectoryLists>(services_.system.programDirectory(),
                                                            std::move(probe));
    catalogue_ = std::make_unique<imaging::Catalogue>(services_.random, *lists_);
    jobs_ = services_.updateJobs;
    if (!jobs_)
        jobs_ = std::make_shared<platform::ThreadJobRunner>();
    updater_ = std::make_unique<imaging::ImageUpdater>(
        *catalogue_, *imageOutput,
        imaging::wallpaperBitmapPath(services_.system.programDirectory(),
                                     services_.system.userName()),
        *jobs_);
    updater_->setFinishedHandler([this](imaging::UpdateResult result) { reportUpdate(result); });
    resetImageList();
    // The first update of the wallpaper and of the full-screen saver needs no window: its work
    // runs while the windows are built, and what it has to tell waits for them.
    std::optional<imaging::UpdateResult> first;
    if (glRunMode == RunMode::Wallpaper || (glRunMode == RunMode::Saver && !anotherSaverRuns()))
        first = startUpdate();
    if (const Outcome started = startMode(commandLine); started != Outcome::Running)
        return started;
    if (first && *first != imaging::UpdateResult::Pending)
        reportUpdate(*first);
    else if (!first && glRunMode != RunMode::Options)
        UpdateImage();
    loadGroups();
    return Outcome::Running;
}

void Program::loadGroups() {
    Newsgroups = std::make_unique<newsgroups::clsNewsgroups>(tools_, DefaultFileTypes);
    Newsgroups->LoadGroups();
    windows_->addGroups();
}

Program::Outcome Program::startMode(const CommandLine& commandLine) {
    fullScreenFrames_ = commandLine.fullScreenFrames;
    if (glRunMode == RunMode::Saver)
        return startSaver();
    if (glRunMode == RunMode::Preview && commandLine.xscreensaver)
        return startXScreenSaverRun(commandLine);
    if (glRunMode == RunMode::Preview)
        return startPreview(commandLine);
    startWindows();
    return Outcome::Running;
}

void Program::startWindows() {
    tools_.PutINIValue(kProgramTitle, kSettingsSection, "SSActive", "False");
    windows_->restoreOptionsWindowPlacement();
    const bool startupOnly = settings_.WallpaperSettings.StartupOnly;
    if (glRunMode == RunMode::Wallpaper) {
        windows_->addTrayIcon();
        if (!startupOnly)
            StartTimer();
    }
    windows_->showOptionsWindow();
    if (startupOnly || glRunMode == RunMode::Options)
        windows_->restoreOptionsWindowIfMinimised();
}

// A second saver while one runs changes nothing. What is running decides, not "SSActive": a
// saver that was killed leaves the flag set but lets go of its place, and two savers started
// together cannot both take it.
bool Program::anotherSaverRuns() {
    return services_.claimSaver && !services_.claimSaver();
}

Program::Outcome Program::startSaver() {
    if (anotherSaverRuns())
        return Outcome::EndNow;
    tools_.PutINIValue(kProgramTitle, kSettingsSection, "SSActive", "True");
    windows_->showSaverWindow();
    windows_->showCursor(false);
    StartTimer();
    return Outcome::Running;
}

namespace {

Program::Outcome nothingToDrawInto(std::uint32_t window) {
    std::fprintf(stderr, "muralto: there is no window %u to show the screen saver in\n", window);
    return Program::Outcome::Failed;
}

}  // namespace

// The host's window is checked first: with nothing to draw into, an earlier preview keeps
// running and nothing is written.
Program::Outcome Program::startPreview(const CommandLine& commandLine) {
    platform::SaverWindowSystem& system = services_.windowSystem;
    const auto host = static_cast<std::uint32_t>(commandLine.previewHost);
    const auto rectWindow = static_cast<std::uint32_t>(commandLine.previewRectWindow);
    const std::optional<QSize> client = rectWindow ? system.windowSize(rectWindow) : std::nullopt;
    if (!host || !system.windowSize(host))
        return nothingToDrawInto(host);
    if (!client)
        return nothingToDrawInto(rectWindow);
    const std::string earlier =
        tools_.GetINIValue(kProgramTitle, kSettingsSection, "Preview hWnd", "");
    if (const auto earlierId = settings::readNumber(earlier);
        !earlier.empty() && earlierId.value_or(0))
        system.closeEarlierPreview(static_cast<std::uint32_t>(*earlierId));
    const std::uint32_t ours = windows_->imageWindowId();
    tools_.PutINIValue(kProgramTitle, kSettingsSection, "Preview hWnd", std::to_string(ours));
    // One pixel wider and taller than the host's inside, as the preview has always been.
    windows_->embedImageWindow(host, *client + QSize(1, 1));
    system.markPreview(ours);
    watchHost(host);
    StartTimer();
    return Outcome::Running;
}

// xscreensaver's daemon runs one program per screen and wakes the screen itself: no second
// instance check, no mouse, and no values shared with the "/s" and "/p" runs.
Program::Outcome Program::startXScreenSaverRun(const CommandLine& commandLine) {
    platform::SaverWindowSystem& system = services_.windowSystem;
    const std::uint32_t window = commandLine.embedWindow.value_or(0);
    if (const auto size = window ? system.windowSize(window) : std::nullopt) {
        windows_->embedImageWindow(window, *size);
        watchHost(window);
    } else if (commandLine.fullScreenFrames) {
        windows_->showSaverWindow();  // the named window is gone: the whole screen instead
    } else {
        return nothingToDrawInto(window);
    }
    StartTimer();
    return Outcome::Running;
}

void Program::watchHost(std::uint32_t host) {
    hostWatch_.setInterval(500);
    QObject::connect(&hostWatch_, &QTimer::timeout, [this, host] {
        if (!services_.windowSystem.windowSize(host))
            EndProgram();
    });
    hostWatch_.start();
}

void Program::Form_MouseMove(double x, double y) {
    if (glRunMode != RunMode::Saver || !windows_ || !wake_.wakes(x, y))
        return;
    // Waking shows the cursor and holds the timer, then puts both back before the end, which
    // shows the cursor for good.
    windows_->showCursor(true);
    StopTimer();
    StartTimer();
    windows_->showCursor(false);
    EndProgram();
}

imaging::UpdateResult Program::UpdateImage() {
    if (!updater_ || !windows_)
        return imaging::UpdateResult::NoImage;
    if (makesWallpaper() && wallpaperUnsupported_)
        return imaging::UpdateResult::Unsupported;  // told already
    const imaging::UpdateResult result = startUpdate();
    if (result != imaging::UpdateResult::Pending)
        reportUpdate(result);
    return result;
}

imaging::UpdateResult Program::startUpdate() {
    imaging::UpdateRequest request;
    request.makesWallpaper = makesWallpaper();
    request.preview = glRunMode == RunMode::Preview && !fullScreenFrames_;
    request.settings = settingsInForce();
    // The caption font is measured for the first caption: a run without one (the saver, as
    // it comes) never loads the fonts before its first frame.
    if (request.settings.AddPath && !request.preview && !charsMeasured_) {
        chars = windows_->measureCanvasFont();
        charsMeasured_ = true;
    }
    // The full-screen saver's window covers the screen, shown or not yet.
    const bool wholeScreen = request.makesWallpaper || glRunMode == RunMode::Saver;
    request.area = wholeScreen ? windows_->screenSize() : windows_->imageWindowSize();
    request.chars = chars;
    request.programDirectory = services_.system.programDirectory();
    return updater_->UpdateImage(request);
}

void Program::reportUpdate(imaging::UpdateResult result) {
    const std::string& notice = updater_->lastNotice();
    if (!notice.empty()) {
        tellOnce(notice);
    } else if (result == imaging::UpdateResult::Failed) {
        std::fprintf(stderr, "muralto: %s\n", updater_->lastError().c_str());
    } else if (result == imaging::UpdateResult::Unsupported) {
        reportWallpaperUnsupported();
    }
}

void Program::tellOnce(const std::string& text) {
    if (!told_.insert(text).second)
        return;
    std::fprintf(stderr, "muralto: %s\n", text.c_str());
    if (windows_)
        windows_->notify(text);
}

void Program::reportWallpaperUnsupported() {
    wallpaperUnsupported_ = true;
    const std::string text = "The wallpaper cannot be changed: " + updater_->lastError() + ". " +
                             std::string(kProgramTitle) +
                             " leaves it alone until its settings are saved again.";
    std::fprintf(stderr, "muralto: %s\n", text.c_str());
    windows_->notify(text);
}

void Program::storeAndUnload() {
    if (glRunMode == RunMode::Wallpaper) {
        windows_->removeTrayIcon();
        windows_->saveOptionsWindowPlacement();
    }
    windows_->unloadOptionsWindow();
    windows_->unloadImageWindow();
    if (glRunMode == RunMode::Saver) {
        tools_.PutINIValue(kProgramTitle, kSettingsSection, "SSActive", "False");
        windows_->showCursor(true);
    }
    // After the options window's unload, which keeps the edits of the entry on show.
    if (Newsgroups)
        Newsgroups->SaveGroups();
}

void Program::EndProgram() {
    if (bEnding)
        return;
    bEnding = true;
    hostWatch_.stop();
    if (updater_)
        updater_->cancel();
    if (!windows_)
        return;
    {
        // Everything the end stores goes into the store in one write, when the batch goes.
        const settings::RegistryTools::WriteBatch batch(tools_);
        storeAndUnload();
    }
    windows_->endProcess();
}

}  // namespace muralto::app

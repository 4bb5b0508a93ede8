#pragma once

#include <QSize>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/CommandLine.h"
#include "app/ProgramHost.h"
#include "app/UpdateTimer.h"
#include "app/WakeRule.h"
#include "i18n/StringTables.h"
#include "imaging/ImageUpdater.h"
#include "newsgroups/clsNewsgroups.h"
#include "platform/JobRunner.h"
#include "platform/MessageBoxes.h"
#include "platform/RandomSource.h"
#include "platform/Registry.h"
#include "platform/ScreenSaverInstaller.h"
#include "platform/SystemInfo.h"
#include "platform/gui/SaverWindowSystem.h"
#include "settings/ProgramSettings.h"
#include "settings/RegistryTools.h"

namespace muralto::app {

/// The host services the program runs on; Main is the one place that creates the real ones.
struct Services {
    platform::Registry& registry;
    platform::MessageBoxes& boxes;
    platform::SystemInfo& system;
    platform::RandomSource& random;
    platform::ScreenSaverInstaller& installer;
    const i18n::StringTable& strings;
    /// The windows of other programs: the preview's host, an earlier preview.
    platform::SaverWindowSystem& windowSystem;
    /// Takes the screen saver's place for this process; false when another saver holds it.
    std::function<bool()> claimSaver;
    /// Asks the file system about picture folders; null: the file system itself, each question
    /// given up after two seconds.
    std::shared_ptr<imaging::FolderProbe> folderProbe = nullptr;
    /// Runs the updates' work; null: a thread beside the event loop.
    std::shared_ptr<platform::JobRunner> updateJobs = nullptr;
};

/// What the running program needs of its windows beyond ending: set up by the composition
/// root once the windows exist.
class ProgramWindows : public ProgramHost {
public:
    /// Height and width of "W" in the canvas font.
    virtual imaging::CharMetrics measureCanvasFont() = 0;
    /// Puts the options window where it was when the program last ended.
    virtual void restoreOptionsWindowPlacement() = 0;
    virtual void addTrayIcon() = 0;
    virtual void showOptionsWindow() = 0;
    /// Brings a minimised options window back to its normal state, not maximised.
    virtual void restoreOptionsWindowIfMinimised() = 0;
    /// The primary screen in device pixels.
    virtual QSize screenSize() = 0;
    /// Tells the user something that needs no answer, as a notification from the
    /// notification-area icon while it is shown.
    virtual void notify(const std::string& text) = 0;

    /// Shows the image window with its picture box, frameless over the whole primary screen and
    /// above every other window, panels and docks included, grabbing nothing.
    virtual void showSaverWindow() = 0;
    /// Makes the image window a child of window host, at its top-left corner with the given
    /// size, and shows it with its picture box.
    virtual void embedImageWindow(std::uint32_t host, QSize size) = 0;
    /// The image window's id in the window system (creating the window if need be).
    virtual std::uint32_t imageWindowId() = 0;
    /// The image window's inside in device pixels: the area the saver's frames fill.
    virtual QSize imageWindowSize() = 0;
    /// Lists the program's newsgroup entries in the options window, loading the window (hidden)
    /// when it is not loaded yet.
    virtual void addGroups() = 0;
};

/// The text of the question asked once per user in the wallpaper mode.
inline constexpr std::string_view kDefaultSaverQuestion =
    "Do you wish to make Muraltor your default screen saver?";

/// The program's state for one run: start-up, the update timer, the image updates and the end.
class Program : public settings::SettingsHost, public ImageWindowHost {
public:
    explicit Program(Services services);
    ~Program() override;

    enum class Outcome {
        EndNow,   ///< the command line was served; the process ends
        Running,  ///< the windows are up; the process lives on their events
        Failed,   ///< the command line cannot be served (said on standard error); exit status 1
    };

    /// Starts the program as the command line asks. windows (may be null until the modes that
    /// need them are built) receive the program's window steps; imageOutput shows pictures.
    Outcome Main(const CommandLine& commandLine, ProgramWindows* windows = nullptr,
                 imaging::ImageOutput* imageOutput = nullptr);

    /// Chooses, composes and shows the next picture for the settings in force. Once the
    /// session's wallpaper is known to be impossible to set, the user is told, and updates
    /// do nothing until the settings are saved again. A wallpaper the desktop is still taking
    /// returns Pending; its outcome is reported when it comes. What a backend has to tell (a
    /// way that failed, what is done instead) is told once per run for each text.
    imaging::UpdateResult UpdateImage();
    /// The one orderly way out: removes the icon, unloads the windows, tells the session the
    /// saver stopped (saver mode) and ends the event loop. Later calls return at once. It does
    /// not wait for an update's work: that is told to give up and its result is dropped.
    void EndProgram();
    /// Waits up to deadline for an update's work to end. False when it is still running (stuck
    /// on a mount that does not answer): the process must then end without destroying what
    /// the work uses.
    bool finishWork(std::chrono::milliseconds deadline);

    // ImageWindowHost
    /// The saver's wake-up: a movement the wake-up rule counts ends the saver. Only the "/s"
    /// saver listens to the mouse.
    void Form_MouseMove(double x, double y) override;
    void Form_Unload() override { EndProgram(); }

    // settings::SettingsHost
    settings::RunMode runMode() const override { return glRunMode; }
    bool timerEnabled() const override { return timer_.enabled(); }
    void StartTimer() override { timer_.StartTimer(); }
    void StopTimer() override { timer_.StopTimer(); }
    void resetImageList() override;
    void settingsSaved() override { wallpaperUnsupported_ = false; }

    bool gbSaverPage = false;
    std::string DefaultFileTypes;
    /// The caption font's metrics, measured when the first caption is drawn.
    imaging::CharMetrics chars;
    /// The newsgroup entries, loaded at the end of a start that keeps the program running.
    std::unique_ptr<newsgroups::clsNewsgroups> Newsgroups;

    settings::ProgramSettings& settings() { return settings_; }

private:
    void askDefaultScreenSaver();
    /// The end's steps that store: the window placement, the unloads, the newsgroup entries.
    void storeAndUnload();
    Outcome startMode(const CommandLine& commandLine);
    void startWindows();
    Outcome startSaver();
    /// Whether a saver started earlier still runs: it holds the saver's place.
    bool anotherSaverRuns();
    Outcome startPreview(const CommandLine& commandLine);
    /// -root and -window-id: frames into the window xscreensaver names, or full screen.
    Outcome startXScreenSaverRun(const CommandLine& commandLine);
    /// Ends the program once window host is gone; the preview has nothing left to draw into.
    void watchHost(std::uint32_t host);
    /// UpdateImage without telling its outcome.
    imaging::UpdateResult startUpdate();
    bool makesWallpaper() const {
        return glRunMode == settings::RunMode::Wallpaper || glRunMode == settings::RunMode::Options;
    }
    void reportWallpaperUnsupported();
    /// Tells the user and standard error what became of an update that did not go as planned.
    void reportUpdate(imaging::UpdateResult result);
    /// Tells text on standard error and as a notification, the first time only.
    void tellOnce(const std::string& text);
    /// Loads the newsgroup entries and lists them in the options window.
    void loadGroups();
    /// The settings record in force: the saver's in the saver and preview modes.
    const settings::ImageSettings& settingsInForce() const;

    settings::RunMode glRunMode = settings::RunMode::Wallpaper;
    Services services_;
    settings::RegistryTools tools_;
    settings::ProgramSettings settings_;
    UpdateTimer timer_;
    ProgramWindows* windows_ = nullptr;
    std::unique_ptr<imaging::DirectoryLists> lists_;
    std::unique_ptr<imaging::Catalogue> catalogue_;
    /// Goes before the catalogue and the lists, which its work uses.
    std::shared_ptr<platform::JobRunner> jobs_;
    std::unique_ptr<imaging::ImageUpdater> updater_;
    bool bEnding = false;
    bool charsMeasured_ = false;
    WakeRule wake_;
    /// Frames as the full-screen saver draws them (with the caption of its settings), also
    /// when the run mode is the preview's.
    bool fullScreenFrames_ = false;
    QTimer hostWatch_;
    /// The wallpaper backend said it cannot work here; cleared when the settings are saved.
    bool wallpaperUnsupported_ = false;
    /// The backends' notices told so far.
    std::set<std::string> told_;
};

}  // namespace muralto::app

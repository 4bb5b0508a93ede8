#include "bench/StallCommand.h"

#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "app/Program.h"
#include "app/QtWindows.h"
#include "bench/StallMeter.h"
#include "folders/BoundedFolderProbe.h"
#include "platform/HiveFile.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramIdentity.h"
#include "platform/XScreenSaverInstaller.h"
#include "platform/gui/QtMessageBoxes.h"

namespace muralto::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSettleMs = 200;
/// How long the program waits on a folder before it counts as missing, as it does by default.
constexpr std::chrono::seconds kProbeDeadline(2);

enum class Scenario { Wallpaper, Saver, StuckMount };

struct StallOptions {
    Scenario scenario = Scenario::Wallpaper;
    std::string pictures;
    int deadlineSeconds = 60;
};

std::optional<StallOptions> parseStall(const Arguments& args) {
    if (args.size() != 2 && args.size() != 3)
        return std::nullopt;
    StallOptions options;
    if (args[0] == "saver")
        options.scenario = Scenario::Saver;
    else if (args[0] == "stuck-mount")
        options.scenario = Scenario::StuckMount;
    else if (args[0] != "wallpaper")
        return std::nullopt;
    options.pictures = args[1];
    while (options.pictures.size() > 1 && options.pictures.ends_with('/'))
        options.pictures.pop_back();
    options.deadlineSeconds = options.scenario == Scenario::StuckMount ? 5 : 60;
    if (args.size() == 3) {
        const auto seconds = number(args[2], 1, 3600);
        if (!seconds)
            return std::nullopt;
        options.deadlineSeconds = int(*seconds);
    }
    return options;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/// Runs the event loop until done holds or the deadline passes.
void processUntil(const std::function<bool()>& done, Clock::time_point deadline) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || Clock::now() >= deadline)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
}

/// A network mount whose server is gone: every question about the folder or anything below it
/// waits until the process ends; other paths are answered by the file system.
class DeadMountProbe : public imaging::FolderProbe {
public:
    explicit DeadMountProbe(std::string folder) : folder_(std::move(folder)) {}

    std::string realDriveOf(const std::string& path) override {
        hangIfBelow(path);
        return direct_.realDriveOf(path);
    }
    bool isUsableDirectory(const std::string& path) override {
        hangIfBelow(path);
        return direct_.isUsableDirectory(path);
    }

private:
    void hangIfBelow(const std::string& path) const {
        const bool below = path.starts_with(folder_) &&
                           (path.size() == folder_.size() || path[folder_.size()] == '/');
        while (below)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }

    imaging::DirectFolderProbe direct_;
    std::string folder_;
};

/// The system's facts, but a program folder of the driver's own, where the bitmap is written.
class ProgramFolder : public platform::LinuxSystemInfo {
public:
    explicit ProgramFolder(std::string folder) : folder_(std::move(folder)) {}
    std::string programDirectory() override { return folder_; }

private:
    std::string folder_;
};

/// Passes every call on to the program's output and tells when the wallpaper's outcome or a
/// frame arrives (on any thread; arrived runs on the event loop's).
class NotingOutput : public imaging::ImageOutput {
public:
    using Arrived = std::function<void(const std::string& what, double ms)>;
    NotingOutput(imaging::ImageOutput& inner, Clock::time_point start, Arrived arrived)
        : inner_(inner), start_(start), arrived_(std::move(arrived)) {}

    void showWallpaper(const std::string& bitmapPath, std::int32_t scaleFactor, QSize screen,
                       WallpaperDone done) override {
        inner_.showWallpaper(
            bitmapPath, scaleFactor, screen,
            [this, done = std::move(done)](const imaging::WallpaperShown& shown) {
                done(shown);
                note(shown.shown ? "wallpaper shown" : "wallpaper failed: " + shown.error);
            });
    }
    void showFrame(const imaging::SaverFrame& frame) override {
        inner_.showFrame(frame);
        note("frame shown");
    }
    bool canShowWallpaper(std::string* reason) const override {
        return inner_.canShowWallpaper(reason);
    }

private:
    void note(const std::string& what) {
        const double ms = millisecondsSince(start_);
        QMetaObject::invokeMethod(qApp, [this, what, ms] { arrived_(what, ms); });
    }

    imaging::ImageOutput& inner_;
    Clock::time_point start_;
    Arrived arrived_;
};

std::string runtimeDirectory() {
    const char* directory = std::getenv("XDG_RUNTIME_DIR");
    return directory ? directory : "";
}

/// Settings that start the program without a question, its pictures taken from folder.
void writeSettings(platform::Registry& registry, platform::MessageBoxes& boxes,
                   const std::string& folder) {
    settings::RegistryTools tools(registry, boxes);
    const auto put = [&](std::string_view name, const std::string& value) {
        tools.PutINIValue(platform::kProgramTitle, settings::kSettingsSection, name, value);
    };
    put("AskDefSS", "1");
    put("Delay", "3600");
    put("SSDelay", "3600");
    put("Path", folder + "/");
    put("SSPath", folder + "/");
}

/// What one run of the program showed.
struct StallReport {
    double mainMs = 0;
    std::string outcome = "none";
    double outcomeMs = -1;
    qint64 stallMaxMs = 0;
};

/// The real program, made as its main function makes it, in a temporary home of its own.
class ProgramUnderTest {
public:
    ProgramUnderTest(const StallOptions& options, const QTemporaryDir& home)
        : options_(options),
          instances_(runtimeDirectory()),
          registry_(platform::HiveRegistry::forCurrentUser()),
          system_(home.path().toStdString()),
          installer_(platform::XScreenSaverInstaller::forCurrentUser()),
          strings_(i18n::languageFromEnvironment()),
          windowSystem_(platform::makeSaverWindowSystem()),
          program_(services()),
          windows_(program_, strings_, boxes_, *registry_, system_.programDirectory(),
                   {platform::kVersionMajor, platform::kVersionMinor, platform::kVersionPatch}) {
        if (options.scenario == Scenario::Saver) {
            output_ = std::make_unique<app::SaverFrameOutput>(windows_);
        } else {
            output_ = std::make_unique<app::WallpaperOutput>(
                platform::chooseWallpaperChain(platform::Environment::fromProcess()));
        }
    }

    /// Starts the program, lets its windows come up (and the saver's first frame), then times
    /// one update as "Update Wallpaper" or the saver's timer starts it: the options window is
    /// up in the wallpaper scenarios ("/c", which makes no update of its own at start), the
    /// saver's window in the saver's.
    StallReport run() {
        StallReport report;
        const bool saver = options_.scenario == Scenario::Saver;
        const auto start = Clock::now();
        const auto deadline = start + std::chrono::seconds(options_.deadlineSeconds);
        std::function<void(const std::string&)> arrived = [](const std::string&) {};
        NotingOutput noting(*output_, start,
                            [&](const std::string& what, double) { arrived(what); });
        const auto outcome = program_.Main(app::parseCommandLine({saver ? "/s" : "/c"}, nullptr),
                                           &windows_, &noting);
        report.mainMs = millisecondsSince(start);
        if (outcome != app::Program::Outcome::Running)
            return report;
        bool firstFrame = !saver;
        arrived = [&](const std::string&) { firstFrame = true; };
        processUntil([&] { return firstFrame; }, deadline);
        processUntil([] { return false; }, Clock::now() + std::chrono::milliseconds(kSettleMs));

        StallMeter meter;
        const auto updateStart = Clock::now();
        arrived = [&](const std::string& what) {
            if (report.outcomeMs >= 0)
                return;
            report.outcome = what;
            report.outcomeMs = millisecondsSince(updateStart);
        };
        program_.UpdateImage();
        const auto updateDeadline =
            options_.scenario == Scenario::StuckMount
                ? updateStart + std::chrono::seconds(options_.deadlineSeconds)
                : deadline;
        processUntil([&] { return report.outcomeMs >= 0; }, updateDeadline);
        processUntil([] { return false; }, Clock::now() + std::chrono::milliseconds(kSettleMs));
        report.stallMaxMs = meter.longestGap();
        if (report.outcomeMs < 0)
            report.outcome = "none within " + std::to_string(options_.deadlineSeconds) + " s";
        return report;
    }

private:
    app::Services services() {
        auto claimSaver = [this] { return instances_.claimSaver(); };
        app::Services services{*registry_, boxes_,   system_,        random_,
                               installer_, strings_, *windowSystem_, claimSaver};
        if (options_.scenario == Scenario::StuckMount) {
            services.folderProbe = std::make_shared<imaging::BoundedFolderProbe>(
                "/proc/self/mountinfo", kProbeDeadline,
                std::make_shared<DeadMountProbe>(options_.pictures));
        }
        return services;
    }

    StallOptions options_;
    platform::InstanceLock instances_;
    std::unique_ptr<platform::HiveRegistry> registry_;
    platform::QtMessageBoxes boxes_;
    ProgramFolder system_;
    platform::TimeOfDayRandom random_;
    platform::XScreenSaverInstaller installer_;
    i18n::StringTable strings_;
    std::unique_ptr<platform::SaverWindowSystem> windowSystem_;
    app::Program program_;
    app::QtWindows windows_;
    std::unique_ptr<imaging::ImageOutput> output_;
};

/// Points the program's settings and data into home.
void moveHome(const QTemporaryDir& home) {
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
}

void print(const StallReport& report) {
    std::printf("stall_max_ms: %lld\nmain_ms: %.1f\noutcome: %s\noutcome_ms: %.1f\n",
                static_cast<long long>(report.stallMaxMs), report.mainMs, report.outcome.c_str(),
                report.outcomeMs);
    std::fflush(stdout);
}

}  // namespace

int stallCommand(const Arguments& args) {
    const auto options = parseStall(args);
    if (!options)
        return misuse("muralto_bench_gui stall wallpaper|saver|stuck-mount FOLDER [SECONDS]");
    QTemporaryDir home;
    if (!home.isValid())
        return failure("cannot make a temporary folder");
    moveHome(home);
    QApplication::setApplicationName(QString::fromUtf8(platform::kProgramTitle.data(),
                                                       qsizetype(platform::kProgramTitle.size())));
    QApplication::setDesktopFileName("muralto");
    QApplication::setQuitOnLastWindowClosed(false);
    {
        platform::QtMessageBoxes boxes;
        writeSettings(*platform::HiveRegistry::forCurrentUser(), boxes, options->pictures);
    }
    auto program = std::make_unique<ProgramUnderTest>(*options, home);
    print(program->run());
    if (options->scenario == Scenario::StuckMount) {
        home.remove();
        ::_exit(0);  // a worker still waits on the mount, and would on the way out
    }
    return 0;
}

}  // namespace muralto::bench

// The composition root: creates the real host services, wires them and starts the program.

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/Program.h"
#include "app/QtWindows.h"
#include "app/TrayIcon.h"
#include "platform/HiveFile.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramIdentity.h"
#include "platform/TerminationSignals.h"
#include "platform/XScreenSaverInstaller.h"
#include "platform/gui/QtMessageBoxes.h"

namespace {

using namespace muralto;

bool haveDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (const char* value = std::getenv(variable); value && *value)
            return true;
    }
    return false;
}

QString qtText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string runtimeDirectory() {
    const char* directory = std::getenv("XDG_RUNTIME_DIR");
    return directory ? directory : "";
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const app::CommandLine commandLine =
        app::parseCommandLine(arguments, std::getenv("XSCREENSAVER_WINDOW"));
    if (commandLine.help) {
        std::fputs(app::usageText().c_str(), stdout);
        return 0;
    }
    if (commandLine.version) {
        std::printf("muralto %s\n", std::string(platform::kProgramVersion).c_str());
        return 0;
    }

    // "/a", the change of a saver password that Linux does not keep, needs no window.
    std::optional<QApplication> application;
    if (!commandLine.passwordChange) {
        if (!haveDisplay()) {
            std::fputs("muralto: no display to run on (DISPLAY and WAYLAND_DISPLAY are not set)\n",
                       stderr);
            return 1;
        }
        application.emplace(argc, argv);
        QApplication::setApplicationName(qtText(platform::kProgramTitle));
        QApplication::setApplicationVersion(qtText(platform::kProgramVersion));
        QApplication::setWindowIcon(app::programIcon());
        // Lets desktops match the windows to the installed menu entry.
        QApplication::setDesktopFileName("muralto");
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // Every instance holds its share from the start, so a saver sees the wallpaper changer too.
    platform::InstanceLock instances(runtimeDirectory());
    auto registry = platform::HiveRegistry::forCurrentUser();
    platform::QtMessageBoxes shownBoxes;
    platform::UnattendedBoxes boxes(shownBoxes);
    platform::LinuxSystemInfo system;
    platform::TimeOfDayRandom random;
    auto installer = platform::XScreenSaverInstaller::forCurrentUser();
    const i18n::StringTable strings(i18n::languageFromEnvironment());
    // Connects at its first call: "/a" never makes one.
    const auto windowSystem = platform::makeSaverWindowSystem();

    app::Program program({*registry, boxes, system, random, installer, strings, *windowSystem,
                          [&instances] { return instances.claimSaver(); }});
    if (commandLine.passwordChange) {
        program.Main(commandLine);
        return 0;
    }

    app::QtWindows windows(
        program, strings, boxes, *registry, system.programDirectory(),
        {platform::kVersionMajor, platform::kVersionMinor, platform::kVersionPatch});
    std::unique_ptr<imaging::ImageOutput> output;
    if (settings::isSaverRun(commandLine.runMode)) {
        output = std::make_unique<app::SaverFrameOutput>(windows);
    } else {
        output = std::make_unique<app::WallpaperOutput>(
            platform::chooseWallpaperChain(platform::Environment::fromProcess()));
    }
    // An end by signal has nobody to answer a box, and a session that waits for it at logout:
    // failed writes go to standard error, and a hive lock held elsewhere costs 2 s at most.
    const platform::TerminationSignals termination([&program, &boxes, &registry] {
        boxes.stopAsking();
        registry->limitLockWaits(std::chrono::seconds(2));
        program.EndProgram();
    });
    switch (program.Main(commandLine, &windows, output.get())) {
        case app::Program::Outcome::EndNow:
            return 0;
        case app::Program::Outcome::Failed:
            return 1;
        case app::Program::Outcome::Running:
            break;
    }
    const int status = QApplication::exec();
    // The end told an update's work to give up; work stuck on a mount that does not answer is
    // left behind, and so are the destructors that would pull its data from under it.
    if (!program.finishWork(std::chrono::milliseconds(500))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

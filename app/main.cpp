// The composition root: creates the real host services, wires them and starts the program.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/Program.h"
#include "app/QtWindows.h"
#include "app/TrayIcon.h"
#include "platform/HiveFile.h"
#include "platform/InstanceLock.h"
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
        std::printf("muralto %s\n", MURALTO_VERSION);
        return 0;
    }

    // The password change needs no window: it is served before anything else is set up.
    std::optional<QApplication> application;
    if (!commandLine.passwordChange) {
        if (!haveDisplay()) {
            std::fputs("muralto: no display to run on (DISPLAY and WAYLAND_DISPLAY are not set)\n",
                       stderr);
            return 1;
        }
        application.emplace(argc, argv);
        QApplication::setApplicationName("Muralto");
        QApplication::setApplicationVersion(MURALTO_VERSION);
        QApplication::setWindowIcon(app::programIcon());
        // Lets desktops match the windows to the installed menu entry.
        QApplication::setDesktopFileName("muralto");
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // Every instance holds its share from the start, so a saver sees the wallpaper changer too.
    const platform::InstanceLock instances(runtimeDirectory());
    auto registry = platform::HiveRegistry::forCurrentUser();
    platform::QtMessageBoxes boxes;
    platform::LinuxSystemInfo system;
    platform::NoPasswordServices passwords;
    platform::TimeOfDayRandom random;
    auto installer = platform::XScreenSaverInstaller::forCurrentUser();
    const i18n::StringTable strings(i18n::languageFromEnvironment());
    // Connects at its first call: the password change never makes one.
    const auto windowSystem = platform::makeSaverWindowSystem();

    app::Program program({*registry, boxes, system, passwords, random, installer, strings,
                          *windowSystem,
                          [&instances] { return instances.anotherInstanceRunning(); }});
    if (commandLine.passwordChange) {
        program.Main(commandLine);
        return 0;
    }

    app::QtWindows windows(program, strings, boxes, *registry, system.programDirectory(),
                           {MURALTO_VERSION_MAJOR, MURALTO_VERSION_MINOR, MURALTO_VERSION_PATCH});
    std::unique_ptr<imaging::ImageOutput> output;
    if (commandLine.runMode == app::kSaverMode || commandLine.runMode == app::kPreviewMode) {
        output = std::make_unique<app::SaverFrameOutput>(windows);
    } else {
        output = std::make_unique<app::WallpaperOutput>(
            platform::chooseWallpaperChain(platform::Environment::fromProcess()));
    }
    const platform::TerminationSignals termination([&program] { program.EndProgram(); });
    switch (program.Main(commandLine, &windows, output.get())) {
        case app::Program::Outcome::EndNow:
            return 0;
        case app::Program::Outcome::Failed:
            return 1;
        case app::Program::Outcome::Running:
            break;
    }
    return QApplication::exec();
}

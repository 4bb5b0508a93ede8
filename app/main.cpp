// The composition root: creates the real host services, wires them and starts the program.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "HiveFile.h"
#include "Program.h"
#include "QtMessageBoxes.h"
#include "QtWindows.h"
#include "XScreenSaverInstaller.h"

namespace {

using namespace muralto;

bool haveDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (const char* value = std::getenv(variable); value && *value)
            return true;
    }
    return false;
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
        QApplication::setQuitOnLastWindowClosed(false);
    }

    auto registry = platform::HiveRegistry::forCurrentUser();
    platform::QtMessageBoxes boxes;
    platform::LinuxSystemInfo system;
    platform::NoPasswordServices passwords;
    platform::TimeOfDayRandom random;
    auto installer = platform::XScreenSaverInstaller::forCurrentUser();
    const i18n::StringTable strings(i18n::languageFromEnvironment());

    app::Program program({*registry, boxes, system, passwords, random, installer, strings});
    if (commandLine.passwordChange) {
        program.Main(commandLine);
        return 0;
    }

    app::QtWindows windows(program, strings, boxes, *registry, system.programDirectory(),
                           {MURALTO_VERSION_MAJOR, MURALTO_VERSION_MINOR, MURALTO_VERSION_PATCH});
    app::WallpaperOutput output(
        platform::chooseWallpaperSetter(platform::Environment::fromProcess()));
    program.Main(commandLine, &windows, &output);
    if (commandLine.runMode != app::kWallpaperMode && commandLine.runMode != app::kOptionsMode)
        return 0;  // the saver's modes land later
    return QApplication::exec();
}

#include "Program.h"

namespace muralto::app {

using settings::kAppTitle;
using settings::kSettingsSection;

Program::Program(Services services)
    : services_(services), tools_(services.registry, services.boxes), settings_(tools_) {}

void Program::StartTimer() {
    gbTimerStarted = true;
    timerEnabled_ = true;
}

void Program::StopTimer() { timerEnabled_ = false; }

void Program::askDefaultScreenSaver() {
    if (tools_.GetINIValue(kAppTitle, kSettingsSection, "AskDefSS", "") == "1") return;
    const auto answer = services_.boxes.askYesNo(kAppTitle, kDefaultSaverQuestion);
    if (answer == platform::MessageBoxes::Answer::Yes) {
        services_.installer.install(services_.system.programDirectory() + "/" +
                                    services_.system.programFileName());
    }
    tools_.PutINIValue(kAppTitle, kSettingsSection, "AskDefSS", "1");
}

Program::Outcome Program::Main(const CommandLine& commandLine) {
    DefaultFileTypes = services_.strings.LoadResString(2001).value_or("");

    glRunMode = commandLine.runMode;
    if (commandLine.passwordChange) {
        if (!services_.system.isWinNT()) {
            services_.passwords.changePassword("SCRSAVE", commandLine.passwordParent);
        }
        return Outcome::EndNow;
    }
    gbSaverPage = glRunMode == kOptionsMode;
    if (glRunMode == kWallpaperMode) askDefaultScreenSaver();

    services_.random.seedFromTimeOfDay();
    settings_.LoadSettings(services_.system.programDirectory());

    // The windows and the update timer build on what is loaded here.
    return Outcome::Running;
}

}  // namespace muralto::app

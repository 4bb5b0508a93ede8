#pragma once

#include <functional>

#include "app/Program.h"
#include "ui/OptionsHost.h"

namespace muralto::app {

/// The running program as the options window sees it.
class ProgramOptionsHost : public ui::OptionsHost {
public:
    /// trayIconShown tells whether the notification-area icon is up.
    ProgramOptionsHost(Program& program, platform::MessageBoxes& boxes,
                       std::function<bool()> trayIconShown)
        : program_(program), boxes_(boxes), trayIconShown_(std::move(trayIconShown)) {}

    settings::RunMode runMode() const override { return program_.runMode(); }
    bool saverPage() const override { return program_.gbSaverPage; }
    void setSaverPage(bool saverPage) override { program_.gbSaverPage = saverPage; }
    settings::ProgramSettings& settings() override { return program_.settings(); }
    void SaveSettings() override { program_.settings().SaveSettings(program_); }
    void UpdateImage() override { program_.UpdateImage(); }
    void EndProgram() override { program_.EndProgram(); }
    bool trayIconShown() const override { return trayIconShown_(); }
    platform::MessageBoxes& boxes() override { return boxes_; }
    newsgroups::clsNewsgroups* Newsgroups() override { return program_.Newsgroups.get(); }

private:
    Program& program_;
    platform::MessageBoxes& boxes_;
    std::function<bool()> trayIconShown_;
};

}  // namespace muralto::app

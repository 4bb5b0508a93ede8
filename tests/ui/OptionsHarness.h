#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/TempHive.h"
#include "tests/support/TestSupport.h"
#include "ui/OptionsHost.h"
#include "ui/frmMuralto.h"

namespace muralto::ui::test {

/// The running program as a test plays it: settings in a registry of its own, recorded boxes,
/// counted updates and ends. Ending unloads the window, as the program does.
class FakeOptionsHost : public OptionsHost, public settings::SettingsHost {
public:
    settings::RunMode runMode() const override { return mode; }
    bool saverPage() const override { return saver; }
    void setSaverPage(bool saverPage) override { saver = saverPage; }
    settings::ProgramSettings& settings() override { return program; }
    void SaveSettings() override {
        ++saves;
        program.SaveSettings(*this);
    }
    void UpdateImage() override { ++updates; }
    void EndProgram() override {
        ++ends;
        if (form)
            form->unload();
    }
    bool trayIconShown() const override { return false; }
    platform::MessageBoxes& boxes() override { return messageBoxes; }
    newsgroups::clsNewsgroups* Newsgroups() override { return groups.get(); }

    // settings::SettingsHost
    bool timerEnabled() const override { return false; }
    void StartTimer() override {}
    void StopTimer() override {}
    void resetImageList() override {}
    void settingsSaved() override {}

    /// A stored value of the settings, or "<missing>".
    std::string stored(std::string_view name) { return temp.stored("Settings", name); }
    void store(std::string_view name, std::string_view v) { temp.store("Settings", name, v); }

    settings::RunMode mode = settings::RunMode::Wallpaper;
    bool saver = false;
    int saves = 0, updates = 0, ends = 0;
    frmMuralto* form = nullptr;
    muralto::test::TempHive temp;
    muralto::test::FakeMessageBoxes& messageBoxes = temp.boxes;
    settings::RegistryTools& tools = temp.tools;
    settings::ProgramSettings program{tools};
    /// Null until a test makes the collection.
    std::unique_ptr<newsgroups::clsNewsgroups> groups;
};

using muralto::test::processUntil;

/// A program folder with a picture folder in it, settings loaded the way the program loads
/// them, and the window made for a run mode. prepare runs before the settings are loaded.
struct OptionsWindow {
    explicit OptionsWindow(settings::RunMode mode,
                           const std::function<void(OptionsWindow&)>& prepare = nullptr) {
        std::filesystem::create_directories(programDirectory());
        std::filesystem::create_directories(pictures());
        host.mode = mode;
        host.saver = mode == settings::RunMode::Options;
        if (prepare)
            prepare(*this);
        host.program.LoadSettings(programDirectory());
        form = std::make_unique<frmMuralto>(strings, host, programDirectory(),
                                            options::VersionNumbers{1, 0, 0});
        host.form = form.get();
    }
    ~OptionsWindow() { host.form = nullptr; }

    /// Stores the wallpaper's and the saver's folder.
    void storePath(const std::string& path) {
        host.store("Path", path);
        host.store("SSPath", path);
    }
    std::string programDirectory() const { return (dir.path() / "program").string(); }
    std::string pictures() const { return (dir.path() / "pictures").string(); }
    ImagePage& page() { return form->imagePage(); }
    /// Shows the window, which brings the selected tab's page forward.
    void show() {
        form->show();
        processUntil([&] { return page().isVisible(); });
    }
    void selectTab(int index) { form->tsTabs().setCurrentIndex(index); }

    muralto::test::TempDir dir;
    i18n::StringTable strings{i18n::Language::EnUS};
    FakeOptionsHost host;
    std::unique_ptr<frmMuralto> form;
};

}  // namespace muralto::ui::test

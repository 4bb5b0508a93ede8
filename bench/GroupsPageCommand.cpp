#include "bench/GroupsPageCommand.h"

#include <QElapsedTimer>
#include <QWidget>
#include <cstdio>
#include <filesystem>

#include "bench/BenchInputs.h"
#include "platform/HiveFile.h"
#include "settings/ProgramSettings.h"
#include "ui/NewsgroupsPage.h"

namespace muralto::bench {
namespace {

const std::string kFileTypes = "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;";

/// What the newsgroups page asks of the program: its entries and its boxes.
class PageHost : public ui::OptionsHost {
public:
    explicit PageHost(settings::RegistryTools& tools)
        : settings_(tools), groups_(tools, kFileTypes) {}

    settings::RunMode runMode() const override { return settings::RunMode::Wallpaper; }
    bool saverPage() const override { return false; }
    void setSaverPage(bool) override {}
    settings::ProgramSettings& settings() override { return settings_; }
    void SaveSettings() override {}
    void UpdateImage() override {}
    void EndProgram() override {}
    bool trayIconShown() const override { return false; }
    platform::MessageBoxes& boxes() override { return boxes_; }
    newsgroups::clsNewsgroups* Newsgroups() override { return &groups_; }

    ErrorBoxes boxes_;

private:
    settings::ProgramSettings settings_;
    newsgroups::clsNewsgroups groups_;
};

}  // namespace

int groupsPageCommand(const Arguments& args) {
    const auto count = args.size() == 2 ? number(args[1], 1, 10'000'000) : std::nullopt;
    if (!count)
        return misuse("muralto_bench_gui groups-page FOLDER COUNT");
    const std::filesystem::path file = std::filesystem::path(args[0]) / "HKCU.reg";
    std::filesystem::create_directories(args[0]);
    writeGroupsHive(file.string(), static_cast<int>(*count), /*lacking=*/false);

    platform::HiveRegistry registry(
        std::make_shared<platform::HiveFile>(file, "HKEY_CURRENT_USER"),
        std::make_shared<platform::HiveFile>(file.parent_path() / "HKLM.reg", "HKEY_LOCAL_MACHINE",
                                             /*readOnly=*/true));
    ErrorBoxes boxes;
    settings::RegistryTools tools(registry, boxes);
    PageHost host(tools);
    QWidget window;
    ui::NewsgroupsPage page(window, host, [] {});
    window.resize(640, 480);
    window.show();

    // The settings' load reads the hive first, before any window is up.
    QElapsedTimer clock;
    clock.start();
    tools.GetINIValue("", "Settings", "Delay", "");
    const qint64 readMs = clock.elapsed();
    clock.restart();
    host.Newsgroups()->LoadGroups();
    const qint64 loadMs = clock.elapsed();
    page.AddGroups();
    const qint64 blockedMs = clock.elapsed();
    if (page.lstGroups->count() != static_cast<int>(*count) || boxes.shown != 0)
        return failure("the entries did not load: " + std::to_string(page.lstGroups->count()));
    std::printf("groups: %d\nread_ms: %lld\nload_ms: %lld\nlist_ms: %lld\nblocked_ms: %lld\n",
                page.lstGroups->count(), static_cast<long long>(readMs),
                static_cast<long long>(loadMs), static_cast<long long>(blockedMs - loadMs),
                static_cast<long long>(blockedMs));
    return 0;
}

}  // namespace muralto::bench

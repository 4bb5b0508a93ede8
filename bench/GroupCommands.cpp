#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchInputs.h"
#include "bench/DriverCommands.h"
#include "newsgroups/clsNewsgroups.h"
#include "platform/HiveFile.h"
#include "platform/Registry.h"
#include "settings/RegistryTools.h"

namespace muralto::bench {
namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int groupsCommand(const Arguments& args) {
    const bool lacking = args.size() == 3 && args[2] == "--lacking";
    const auto count = args.size() >= 2 ? number(args[1], 1, 10'000'000) : std::nullopt;
    if ((args.size() != 2 && !lacking) || !count)
        return misuse("muralto_bench groups FOLDER COUNT [--lacking]");
    const std::filesystem::path file = std::filesystem::path(args[0]) / "HKCU.reg";
    std::filesystem::create_directories(args[0]);
    writeGroupsHive(file.string(), static_cast<int>(*count), lacking);

    // A fresh hive, as at a start: the load includes reading and parsing the file.
    platform::HiveRegistry registry(
        std::make_shared<platform::HiveFile>(file, "HKEY_CURRENT_USER"),
        std::make_shared<platform::HiveFile>(file.parent_path() / "HKLM.reg", "HKEY_LOCAL_MACHINE",
                                             /*readOnly=*/true));
    ErrorBoxes boxes;
    settings::RegistryTools tools(registry, boxes);
    newsgroups::clsNewsgroups groups(tools, "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;");
    auto start = std::chrono::steady_clock::now();
    groups.LoadGroups();
    const double loadMs = millisecondsSince(start);

    // What every end does: nothing edited, which writes nothing unless values are missing.
    start = std::chrono::steady_clock::now();
    groups.SaveGroups();
    const double firstMs = millisecondsSince(start);

    const int entries = static_cast<int>(*count);
    groups.Item(entries / 2 + 1)->MaxFiles(-7);
    start = std::chrono::steady_clock::now();
    groups.SaveGroups();  // one entry edited
    const double oneEditedMs = millisecondsSince(start);

    if (groups.Count() != entries || boxes.shown != 0)
        return failure("the entries did not load or save: " + std::to_string(groups.Count()));
    std::printf("groups: %d\nload_ms: %.1f\n%s: %.1f\nsave_one_edited_ms: %.1f\n", entries, loadMs,
                lacking ? "save_adding_ms" : "save_unchanged_ms", firstMs, oneEditedMs);
    return 0;
}

}  // namespace muralto::bench

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/DriverCommands.h"
#include "newsgroups/clsNewsgroups.h"
#include "platform/HiveFile.h"
#include "platform/Registry.h"
#include "settings/RegistryTools.h"

namespace muralto::bench {
namespace {

/// Message boxes of a process without a screen: the text goes to standard error.
class ErrorBoxes : public platform::MessageBoxes {
public:
    void showMessage(std::string_view title, std::string_view text) override {
        ++shown;
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
    }
    Answer askYesNo(std::string_view, std::string_view) override { return Answer::No; }
    Answer askYesNoCancel(std::string_view, std::string_view) override { return Answer::Cancel; }
    std::string inputBox(std::string_view, std::string_view) override { return {}; }
    int shown = 0;
};

/// A hive file with count entries as a save writes them, each with three subject filters.
void writeGroups(const std::filesystem::path& file, int count) {
    std::ofstream out(file, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\n\n";
    for (int i = 0; i < count; ++i) {
        out << "[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto\\Settings\\Newsgroups\\"
            << "alt.binaries.pictures.group" << i << "]\n"
            << "\"MaxFiles\"=\"" << i << "\"\n\"MinFileSize\"=\"1024\"\n"
            << "\"FileTypes\"=\"*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;\"\n"
            << "\"SubjectFilters\"=\"spam\\r\\nfor sale\\r\\nwanted\\r\\n\"\n\n";
    }
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int groupsCommand(const Arguments& args) {
    if (args.size() != 2)
        return misuse("muralto_bench groups FOLDER COUNT");
    const int count = std::atoi(args[1].c_str());
    const std::filesystem::path file = std::filesystem::path(args[0]) / "HKCU.reg";
    std::filesystem::create_directories(args[0]);
    writeGroups(file, count);

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

    start = std::chrono::steady_clock::now();
    groups.SaveGroups();  // what every end does when nothing was edited
    const double unchangedMs = millisecondsSince(start);

    groups.Item(count / 2)->MaxFiles(-7);
    start = std::chrono::steady_clock::now();
    groups.SaveGroups();  // one entry edited
    const double oneEditedMs = millisecondsSince(start);

    if (groups.Count() != count || boxes.shown != 0)
        return failure("the entries did not load or save: " + std::to_string(groups.Count()));
    std::printf("groups: %d\nload_ms: %.1f\nsave_unchanged_ms: %.1f\nsave_one_edited_ms: %.1f\n",
                count, loadMs, unchangedMs, oneEditedMs);
    return 0;
}

}  // namespace muralto::bench

#pragma once

#include <map>

#include "app/Program.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempHive.h"
#include "tests/support/TestSupport.h"

namespace muralto::app::test {

/// The host services of a program under test: a registry of its own, recorded boxes and
/// installs, a fixed system and random source, the American strings.
struct TestServices {
    struct CountingRandom : platform::RandomSource {
        double next() override { return 0.5; }
        void seedFromTimeOfDay() override { ++seeds; }
        int seeds = 0;
    };
    struct RecordingInstaller : platform::ScreenSaverInstaller {
        void install(const std::string& path) override { installed.push_back(path); }
        std::vector<std::string> installed;
    };

    /// Windows of other programs, by id, and what was asked of them.
    struct FakeWindowSystem : platform::SaverWindowSystem {
        std::optional<QSize> windowSize(std::uint32_t window) override {
            const auto found = sizes.find(window);
            return found == sizes.end() ? std::nullopt : std::optional(found->second);
        }
        std::uint32_t rootWindow() override { return 1; }
        void setWindowPid(std::uint32_t window) override {
            calls.push_back("setWindowPid " + std::to_string(window));
        }
        bool closeEarlierPreview(std::uint32_t window) override {
            calls.push_back("closeEarlierPreview " + std::to_string(window));
            return true;
        }
        std::map<std::uint32_t, QSize> sizes;
        std::vector<std::string> calls;
    };

    Services services() {
        return {temp.registry, boxes,   system,  random,
                installer,     strings, windows, [this] { return anotherInstance; }};
    }
    /// The value stored under the program's settings, or "<missing>".
    std::string stored(std::string_view name) { return temp.stored("Settings", name); }
    void store(std::string_view name, std::string_view value) {
        temp.store("Settings", name, value);
    }

    muralto::test::TempHive temp;
    muralto::test::FakeMessageBoxes& boxes = temp.boxes;
    settings::RegistryTools& tools = temp.tools;
    muralto::test::FakeSystemInfo system;
    CountingRandom random;
    RecordingInstaller installer;
    FakeWindowSystem windows;
    bool anotherInstance = false;  ///< whether another instance of the program runs
    i18n::StringTable strings{i18n::Language::EnUS};
};

}  // namespace muralto::app::test

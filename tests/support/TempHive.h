#pragma once

#include <string>
#include <string_view>

#include "platform/ProgramIdentity.h"
#include "settings/RegistryTools.h"
#include "tests/support/Fakes.h"
#include "tests/support/TestSupport.h"

namespace muralto::test {

/// A registry in a temporary folder with the program's registry tools and recorded boxes.
struct TempHive : TempRegistry {
    FakeMessageBoxes boxes;
    settings::RegistryTools tools{registry, boxes};

    void store(std::string_view section, std::string_view name, std::string_view value) {
        tools.PutINIValue(platform::kProgramTitle, section, name, value);
    }
    /// A value stored in a section of the program's key, or "<missing>".
    std::string stored(std::string_view section, std::string_view name) {
        return tools.GetINIValue(platform::kProgramTitle, section, name, "<missing>");
    }
};

}  // namespace muralto::test

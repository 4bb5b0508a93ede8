#pragma once

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/ProgramIdentity.h"
#include "tests/support/TempHive.h"

namespace muralto::newsgroups::test {

inline const std::string kDefaultTypes = "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;";

/// A real hive in a temporary folder, with helpers that look at it past the read limit.
class NewsgroupFixture : public muralto::test::TempHive {
protected:
    static std::string section(const std::string& name) { return "Settings\\Newsgroups\\" + name; }

    void store(const std::string& name, const std::string& value, const std::string& text) {
        TempHive::store(section(name), value, text);
    }
    /// The stored text whatever its length, or "<none>".
    std::string stored(const std::string& name, const std::string& value) {
        return tools.GetINIValue(platform::kProgramTitle, section(name), value, "<none>",
                                 std::numeric_limits<long>::max());
    }
    std::vector<std::string> storedGroups() {
        std::vector<std::string> names;
        tools.EnumKeys(platform::kProgramTitle, "Settings\\Newsgroups", names);
        names.erase(names.begin());
        return names;
    }
};

}  // namespace muralto::newsgroups::test

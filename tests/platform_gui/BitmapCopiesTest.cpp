#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/gui/BitmapCopies.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

TEST(MakeFreshCopy, NumbersOnFromTheHighestCopyAndKeepsOnlyTheNewestTwo) {
    test::TempDir dir;
    const auto bitmap = dir.write("jdoe.bmp", "").string();
    // Old copies, then names that are no copy of this bitmap (one is another user's): they stay.
    for (const char* name : {"jdoe~3.bmp", "jdoe~41.bmp", "jdoe~7.bmp", "jdoe-1.bmp", "jdoe~x.bmp",
                             "jdoe~2.png", "ann~1.bmp"})
        dir.write(name, "old");
    for (const char* content : {"first", "second"}) {
        dir.write("jdoe.bmp", content);
        const auto copy = makeFreshCopy(bitmap);
        ASSERT_TRUE(copy);
        EXPECT_EQ(test::readFile(*copy), content);
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"jdoe.bmp", "jdoe~42.bmp", "jdoe~43.bmp", "jdoe-1.bmp",
                                            "jdoe~x.bmp", "jdoe~2.png", "ann~1.bmp"}));
}

}  // namespace
}  // namespace muralto::platform

// Thousands of newsgroup entries: the work of a load and of a save grows with the number of
// entries, not with its square. Counted, not timed: the reads of the store, the names compared
// and the rewrites of the hive.

#include <gtest/gtest.h>

#include <fstream>

#include "newsgroups/clsNewsgroups.h"
#include "tests/support/TempHive.h"

namespace muralto::newsgroups {
namespace {

const std::string kDefaultTypes = "*.jpg;";

/// The registry of the test's hive, counting the reads that reach it.
class CountingRegistry : public platform::Registry {
public:
    explicit CountingRegistry(platform::Registry& inner) : inner_(inner) {}

    int openKey(platform::RootKey root, std::string_view path) override {
        ++reads;
        return inner_.openKey(root, path);
    }
    int queryValue(platform::RootKey root, std::string_view path, std::string_view name,
                   std::string& data) override {
        ++reads;
        return inner_.queryValue(root, path, name, data);
    }
    int queryValues(platform::RootKey root, std::string_view path,
                    std::vector<platform::RegistryValue>& values) override {
        ++reads;
        return inner_.queryValues(root, path, values);
    }
    int enumSubKeys(platform::RootKey root, std::string_view path,
                    std::vector<std::string>& names) override {
        ++reads;
        return inner_.enumSubKeys(root, path, names);
    }
    int enumSubKeyValues(platform::RootKey root, std::string_view path,
                         std::vector<platform::RegistrySubKey>& subKeys) override {
        ++reads;
        return inner_.enumSubKeyValues(root, path, subKeys);
    }
    int setValue(platform::RootKey root, std::string_view path, std::string_view name,
                 std::string_view data) override {
        return inner_.setValue(root, path, name, data);
    }
    int deleteKey(platform::RootKey root, std::string_view path) override {
        return inner_.deleteKey(root, path);
    }
    std::string errorText(int code) override { return inner_.errorText(code); }
    void beginBatch() override { inner_.beginBatch(); }
    int endBatch() override { return inner_.endBatch(); }

    int reads = 0;

private:
    platform::Registry& inner_;
};

struct StoreCase {
    const char* name;
    int entries;
};

class LargeStoreTest : public testing::TestWithParam<StoreCase>, protected muralto::test::TempHive {
protected:
    std::string entryName(int i) const { return "alt.binaries.Pictures.group" + std::to_string(i); }

    /// A hive of entries that each lack their smallest file size, written as a file.
    void writeEntries(int count) {
        std::ofstream out(hivePath, std::ios::binary);
        out << "Windows Registry Editor Version 5.00\n\n";
        for (int i = 0; i < count; ++i) {
            out << "[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto\\Settings\\Newsgroups\\"
                << entryName(i) << "]\n\"MaxFiles\"=\"" << i
                << "\"\n\"FileTypes\"=\"*.gif;\"\n\"SubjectFilters\"=\"spam\\r\\n\"\n\n";
        }
    }

    CountingRegistry counting{registry};
    settings::RegistryTools countingTools{counting, boxes};
    clsNewsgroups groups{countingTools, kDefaultTypes};
};

TEST_P(LargeStoreTest, LoadAndEndGrowWithTheEntriesAlone) {
    const int n = GetParam().entries;
    writeEntries(n);

    groups.LoadGroups();
    ASSERT_EQ(groups.Count(), n);
    EXPECT_LE(counting.reads, 2);  // the whole section in one read, not a few per entry
    // Each name added is compared with the few that share its hash, not with every other.
    EXPECT_LE(groups.comparedNames(), 3u * static_cast<std::uint64_t>(n));
    const std::uint64_t comparedByLoad = groups.comparedNames();
    for (int i = 0; i < n; ++i) {
        std::string upper = entryName(i);
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const auto entry = groups.Item(upper);
        ASSERT_TRUE(entry && entry->MaxFiles() == i) << upper;
        EXPECT_EQ(entry->Name(), entryName(i));
    }
    EXPECT_LE(groups.comparedNames() - comparedByLoad, 2u * static_cast<std::uint64_t>(n));

    // The end adds the missing value to every entry: one rewrite of the hive for all of them.
    const std::uint64_t writesBefore = userHive->writeCount();
    groups.SaveGroups();
    EXPECT_EQ(userHive->writeCount() - writesBefore, 1u);
    EXPECT_TRUE(boxes.shown.empty());
    platform::HiveFile reread(hivePath, "HKEY_CURRENT_USER");
    int complete = 0;
    reread.read([&](const platform::HiveTree& tree) {
        for (int i = 0; i < n; ++i) {
            const platform::HiveKey* key =
                tree.find("Software\\Brenwick\\Muralto\\Settings\\Newsgroups\\" + entryName(i));
            const std::string* size = key ? key->findValue("MinFileSize") : nullptr;
            complete += size && *size == "0" && key->findValue("SubjectFilters");
        }
    });
    EXPECT_EQ(complete, n);
    groups.SaveGroups();  // nothing left to add: no rewrite at all
    EXPECT_EQ(userHive->writeCount() - writesBefore, 1u);
}

INSTANTIATE_TEST_SUITE_P(Entries, LargeStoreTest,
                         testing::Values(StoreCase{"one", 1}, StoreCase{"hundred", 100},
                                         StoreCase{"fiveThousand", 5000}),
                         muralto::test::byName);

}  // namespace
}  // namespace muralto::newsgroups

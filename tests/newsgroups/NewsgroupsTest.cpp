#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "newsgroups/clsNewsgroups.h"
#include "tests/newsgroups/NewsgroupFixture.h"

namespace muralto::newsgroups {
namespace {

using Names = std::vector<std::string>;

class NewsgroupsTest : public testing::Test, protected test::NewsgroupFixture {
protected:
    clsNewsgroups groups{tools, test::kDefaultTypes};

    Names names() const {
        Names all;
        for (const auto& entry : groups)
            all.push_back(entry->Name());
        return all;
    }
    /// Stores an entry the way a save does.
    void storeGroup(const std::string& name, const std::string& maxFiles) {
        store(name, "MaxFiles", maxFiles);
        store(name, "SubjectFilters", "x\r\n");
    }
};

TEST_F(NewsgroupsTest, AddKeepsInsertionOrderAndGivesDefaults) {
    for (const char* name : {"zeta", "alpha", "Mid"})
        groups.Add(name);
    EXPECT_EQ(names(), (Names{"zeta", "alpha", "Mid"}));
    ASSERT_EQ(groups.Count(), 3);
    const auto second = groups.Item(2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Name(), "alpha");
    EXPECT_EQ(second->FileTypes(), test::kDefaultTypes);
    EXPECT_EQ(second->MaxFiles(), 0);
    EXPECT_EQ(second->FilterCount(), 0);
    EXPECT_EQ(second->Parent(), &groups);
    EXPECT_TRUE(storedGroups().empty());  // nothing is stored before a save
}

TEST_F(NewsgroupsTest, ADuplicateNameInAnyLetterCaseIsRefused) {
    const auto first = groups.Add("alt.Pictures");
    for (const char* name : {"alt.Pictures", "ALT.PICTURES", "alt.pictures"}) {
        try {
            groups.Add(name);
            ADD_FAILURE() << name << " was added";
        } catch (const NewsgroupError& e) {
            EXPECT_EQ(e.kind(), NewsgroupError::Kind::Duplicate) << name;
        }
    }
    EXPECT_EQ(groups.Count(), 1);
    EXPECT_EQ(groups.Item("ALT.pictures"), first);
}

struct ItemCase {
    const char* name;
    std::function<std::shared_ptr<clsNewsgroup>(const clsNewsgroups&)> item;
    const char* found;  // nullptr: none
};

const ItemCase kItemCases[] = {
    {"FirstPosition", [](const clsNewsgroups& g) { return g.Item(1); }, "alt.a"},
    {"LastPosition", [](const clsNewsgroups& g) { return g.Item(2); }, "alt.b"},
    {"PositionZero", [](const clsNewsgroups& g) { return g.Item(0); }, nullptr},
    {"NegativePosition", [](const clsNewsgroups& g) { return g.Item(-1); }, nullptr},
    {"PositionPastCount", [](const clsNewsgroups& g) { return g.Item(3); }, nullptr},
    {"Position99", [](const clsNewsgroups& g) { return g.Item(99); }, nullptr},
    {"Name", [](const clsNewsgroups& g) { return g.Item("alt.b"); }, "alt.b"},
    {"NameOtherCase", [](const clsNewsgroups& g) { return g.Item("ALT.B"); }, "alt.b"},
    {"AbsentName", [](const clsNewsgroups& g) { return g.Item("alt.c"); }, nullptr},
    {"EmptyName", [](const clsNewsgroups& g) { return g.Item(""); }, nullptr},
    {"PrefixOfName", [](const clsNewsgroups& g) { return g.Item("alt."); }, nullptr},
};

class ItemLookup : public NewsgroupsTest, public testing::WithParamInterface<ItemCase> {};

TEST_P(ItemLookup, FindsTheEntryOrNone) {
    groups.Add("alt.a");
    groups.Add("alt.b");
    const auto entry = GetParam().item(groups);
    if (GetParam().found == nullptr) {
        EXPECT_EQ(entry, nullptr);
    } else {
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->Name(), GetParam().found);
    }
}

INSTANTIATE_TEST_SUITE_P(Items, ItemLookup, testing::ValuesIn(kItemCases), muralto::test::byName);

struct RemoveCase {
    const char* name;
    std::function<void(clsNewsgroups&)> remove;
    Names left;
    std::optional<NewsgroupError::Kind> error;
};

const RemoveCase kRemoveCases[] = {
    {"ByName", [](clsNewsgroups& g) { g.Remove("alt.a"); }, {"alt.b", "alt.c"}, std::nullopt},
    {"ByNameOtherCase",
     [](clsNewsgroups& g) { g.Remove("Alt.B"); },
     {"alt.a", "alt.c"},
     std::nullopt},
    {"ByPosition", [](clsNewsgroups& g) { g.Remove(3); }, {"alt.a", "alt.b"}, std::nullopt},
    {"Clear", [](clsNewsgroups& g) { g.Clear(); }, {}, std::nullopt},
    {"AbsentName",
     [](clsNewsgroups& g) { g.Remove("alt.z"); },
     {"alt.a", "alt.b", "alt.c"},
     NewsgroupError::Kind::Absent},
    {"PositionZero",
     [](clsNewsgroups& g) { g.Remove(0); },
     {"alt.a", "alt.b", "alt.c"},
     NewsgroupError::Kind::OutOfRange},
    {"PositionPastCount",
     [](clsNewsgroups& g) { g.Remove(4); },
     {"alt.a", "alt.b", "alt.c"},
     NewsgroupError::Kind::OutOfRange},
};

class RemoveEntries : public NewsgroupsTest, public testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveEntries, DeleteTheStoredKeysAtOnce) {
    const RemoveCase& c = GetParam();
    for (const char* name : {"alt.a", "alt.b", "alt.c"})
        groups.Add(name);
    groups.SaveGroups();
    try {
        c.remove(groups);
        EXPECT_FALSE(c.error.has_value()) << "no error";
    } catch (const NewsgroupError& e) {
        EXPECT_EQ(std::optional(e.kind()), c.error);
    }
    EXPECT_EQ(names(), c.left);
    EXPECT_EQ(storedGroups(), c.left);  // before any further save
    groups.SaveGroups();
    EXPECT_EQ(storedGroups(), c.left);
}

INSTANTIATE_TEST_SUITE_P(Entries, RemoveEntries, testing::ValuesIn(kRemoveCases),
                         muralto::test::byName);

TEST_F(NewsgroupsTest, ARemovedEntryLosesItsOwner) {
    const auto entry = groups.Add("alt.a");
    groups.Remove("alt.a");
    EXPECT_EQ(entry->Parent(), nullptr);
    entry->Name("alt.b");  // a plain name change now
    EXPECT_EQ(groups.Count(), 0);
}

TEST_F(NewsgroupsTest, LoadGroupsTakesTheStoredKeysInListingOrder) {
    storeGroup("b.second", "2");
    storeGroup("Alt.First", "1");
    storeGroup("c.third", "3");
    groups.LoadGroups();
    EXPECT_EQ(names(), (Names{"Alt.First", "b.second", "c.third"}));
    const auto loaded = groups.Item("alt.first");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->MaxFiles(), 1);
    EXPECT_EQ(loaded->Filter(1), "x");
    EXPECT_EQ(groups.Item(3)->MaxFiles(), 3);
}

TEST_F(NewsgroupsTest, LoadGroupsWithoutStoredGroupsStaysEmpty) {
    groups.LoadGroups();
    EXPECT_EQ(groups.Count(), 0);
}

TEST_F(NewsgroupsTest, SaveGroupsWritesEveryEntry) {
    groups.Add("alt.a")->MaxFiles(4);
    groups.Add("alt.b")->AddFilter("f");
    groups.SaveGroups();
    EXPECT_EQ(storedGroups(), (Names{"alt.a", "alt.b"}));
    EXPECT_EQ(stored("alt.a", "MaxFiles"), "4");
    EXPECT_EQ(stored("alt.b", "SubjectFilters"), "f\r\n");
    EXPECT_EQ(stored("alt.b", "FileTypes"), test::kDefaultTypes);
}

TEST_F(NewsgroupsTest, SaveGroupsIntoARefusingHiveReportsTheCauseOnce) {
    for (const char* name : {"alt.a", "alt.b", "alt.c"})
        groups.Add(name);
    std::filesystem::create_directories(hivePath);  // every write now fails the same way
    groups.SaveGroups();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, settings::kRegistryErrorTitle);
}

TEST_F(NewsgroupsTest, RenameMovesTheEntryInTheCollectionAndTheStore) {
    storeGroup("alt.a", "9");
    store("alt.a", "MinFileSize", "100");
    store("alt.a", "FileTypes", "*.gif;");
    store("alt.a", "SubjectFilters", "one\r\ntwo\r\n");
    groups.LoadGroups();
    groups.Add("alt.z");
    const auto old = groups.Item("alt.a");
    old->Name("alt.b");

    EXPECT_EQ(old->Name(), "alt.b");
    EXPECT_EQ(old->Parent(), nullptr);
    EXPECT_EQ(groups.Item("alt.a"), nullptr);
    EXPECT_EQ(names(), (Names{"alt.z", "alt.b"}));
    const auto moved = groups.Item("alt.b");
    ASSERT_NE(moved, nullptr);
    EXPECT_NE(moved, old);
    EXPECT_EQ(moved->MaxFiles(), 9);
    EXPECT_EQ(moved->MinFileSize(), 100);
    EXPECT_EQ(moved->FileTypes(), "*.gif;");
    EXPECT_EQ(moved->GetAllFilters(), "one\r\ntwo\r\n");
    EXPECT_EQ(storedGroups(), Names{});  // the old key went at once, the new one waits
    groups.SaveGroups();
    EXPECT_EQ(storedGroups(), (Names{"alt.b", "alt.z"}));
    EXPECT_EQ(stored("alt.b", "MinFileSize"), "100");
}

TEST_F(NewsgroupsTest, RenameCarriesAnUnreadLongFilterText) {
    const std::string longText = std::string(300, 'q') + "\r\n";
    store("alt.a", "SubjectFilters", longText);
    groups.LoadGroups();
    groups.Item(1)->Name("alt.b");
    groups.SaveGroups();
    EXPECT_EQ(stored("alt.b", "SubjectFilters"), longText);
}

TEST_F(NewsgroupsTest, RenameToAHeldNameIsRefusedAndChangesNothing) {
    storeGroup("alt.a", "1");
    groups.LoadGroups();
    groups.Add("alt.b");
    for (const char* name : {"alt.b", "ALT.A"}) {
        EXPECT_THROW(groups.Item("alt.a")->Name(name), NewsgroupError) << name;
    }
    EXPECT_EQ(names(), (Names{"alt.a", "alt.b"}));
    EXPECT_EQ(stored("alt.a", "MaxFiles"), "1");
}

TEST_F(NewsgroupsTest, TheSameNameAgainMovesNothing) {
    storeGroup("alt.a", "1");
    groups.LoadGroups();
    const auto entry = groups.Item(1);
    entry->Name("alt.a");
    EXPECT_EQ(groups.Item(1), entry);
    EXPECT_EQ(stored("alt.a", "MaxFiles"), "1");
}

TEST_F(NewsgroupsTest, ANameWithABackslashIsStoredNestedAndLoadsAsItsFirstPart) {
    const auto nested = groups.Add("alt\\binaries");
    nested->MaxFiles(12);
    groups.SaveGroups();
    EXPECT_EQ(stored("alt\\binaries", "MaxFiles"), "12");

    clsNewsgroups next(tools, test::kDefaultTypes);
    next.LoadGroups();
    EXPECT_EQ(next.Count(), 1);
    const auto first = next.Item("alt");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->MaxFiles(), -1);
    EXPECT_EQ(first->FileTypes(), test::kDefaultTypes);

    groups.Remove("alt\\binaries");
    EXPECT_EQ(stored("alt\\binaries", "MaxFiles"), "<none>");
}

TEST_F(NewsgroupsTest, EntriesOutlivingTheCollectionHaveNoOwner) {
    std::shared_ptr<clsNewsgroup> kept;
    {
        clsNewsgroups shortLived(tools, test::kDefaultTypes);
        kept = shortLived.Add("alt.a");
    }
    EXPECT_EQ(kept->Parent(), nullptr);
    kept->Name("alt.b");
    EXPECT_EQ(kept->Name(), "alt.b");
}

}  // namespace
}  // namespace muralto::newsgroups

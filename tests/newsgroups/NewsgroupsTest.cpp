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
    void addAll(const Names& all) {
        for (const auto& name : all)
            groups.Add(name);
    }
};

TEST_F(NewsgroupsTest, AddKeepsInsertionOrderGivesDefaultsAndRefusesADuplicate) {
    addAll({"zeta", "alpha", "Mid"});
    EXPECT_EQ(names(), (Names{"zeta", "alpha", "Mid"}));
    const auto second = groups.Item(2);
    EXPECT_EQ(second->FileTypes(), test::kDefaultTypes);
    EXPECT_EQ(second->MaxFiles(), 0);
    EXPECT_EQ(second->Parent(), &groups);
    EXPECT_TRUE(storedGroups().empty());  // nothing is stored before a save
    try {
        groups.Add("ALPHA");
        ADD_FAILURE() << "a duplicate was added";
    } catch (const NewsgroupError& e) {
        EXPECT_EQ(e.kind(), NewsgroupError::Kind::Duplicate);
    }
    EXPECT_EQ(groups.Count(), 3);
}

TEST_F(NewsgroupsTest, ItemFindsTheEntryByPositionOrNameInAnyCase) {
    const auto a = groups.Add("alt.a");
    const auto b = groups.Add("alt.b");
    EXPECT_EQ(groups.Item(1), a);
    EXPECT_EQ(groups.Item(2), b);
    EXPECT_EQ(groups.Item(0), nullptr);
    EXPECT_EQ(groups.Item(3), nullptr);
    EXPECT_EQ(groups.Item("ALT.B"), b);
    EXPECT_EQ(groups.Item("alt."), nullptr);
}

TEST_F(NewsgroupsTest, RemoveDeletesTheStoredKeysAtOnce) {
    struct Case {
        std::function<void(clsNewsgroups&)> remove;
        Names left;
        std::optional<NewsgroupError::Kind> error;
    };
    const Names all{"alt.a", "alt.b", "alt.c"};
    const Case cases[] = {
        {[](clsNewsgroups& g) { g.Remove("Alt.B"); }, {"alt.a", "alt.c"}, std::nullopt},
        {[](clsNewsgroups& g) { g.Remove(3); }, {"alt.a", "alt.b"}, std::nullopt},
        {[](clsNewsgroups& g) { g.Clear(); }, {}, std::nullopt},
        {[](clsNewsgroups& g) { g.Remove("alt.z"); }, all, NewsgroupError::Kind::Absent},
        {[](clsNewsgroups& g) { g.Remove(4); }, all, NewsgroupError::Kind::OutOfRange},
    };
    for (const Case& c : cases) {
        groups.Clear();
        addAll(all);
        groups.SaveGroups();
        try {
            c.remove(groups);
            EXPECT_FALSE(c.error.has_value()) << "no error";
        } catch (const NewsgroupError& e) {
            EXPECT_EQ(std::optional(e.kind()), c.error);
        }
        EXPECT_EQ(names(), c.left);
        EXPECT_EQ(storedGroups(), c.left);  // before any further save
    }
}

TEST_F(NewsgroupsTest, EntriesLeftByTheirCollectionHaveNoOwner) {
    const auto removed = groups.Add("alt.a");
    groups.Remove("alt.a");
    EXPECT_EQ(removed->Parent(), nullptr);
    removed->Name("alt.b");  // a plain name change now
    EXPECT_EQ(groups.Count(), 0);
    std::shared_ptr<clsNewsgroup> kept;
    {
        clsNewsgroups shortLived(tools, test::kDefaultTypes);
        kept = shortLived.Add("alt.a");
    }
    EXPECT_EQ(kept->Parent(), nullptr);
    kept->Name("alt.b");
    EXPECT_EQ(kept->Name(), "alt.b");
}

TEST_F(NewsgroupsTest, LoadAndSaveGroupsTakeEveryStoredKeyInListingOrder) {
    for (const char* name : {"b.second", "Alt.First", "c.third"})
        store(name, "MaxFiles", "1");
    groups.LoadGroups();
    EXPECT_EQ(names(), (Names{"Alt.First", "b.second", "c.third"}));
    EXPECT_EQ(groups.Item(1)->MaxFiles(), 1);

    groups.Add("d.new")->AddFilter("f");
    groups.SaveGroups();
    EXPECT_EQ(storedGroups(), (Names{"Alt.First", "b.second", "c.third", "d.new"}));
    EXPECT_EQ(stored("d.new", "SubjectFilters"), "f\r\n");
    EXPECT_TRUE(boxes.shown.empty());

    std::filesystem::remove(hivePath);
    std::filesystem::create_directories(hivePath);  // every write now fails the same way
    groups.SaveGroups();
    ASSERT_EQ(boxes.shown.size(), 1u);  // once for the one cause
    EXPECT_EQ(boxes.shown[0].title, settings::kRegistryErrorTitle);
}

TEST_F(NewsgroupsTest, RenameMovesTheEntryInTheCollectionAndTheStore) {
    const std::string longFilters = std::string(300, 'q') + "\r\n";  // too long to read
    store("alt.a", "MaxFiles", "9");
    store("alt.a", "MinFileSize", "100");
    store("alt.a", "FileTypes", "*.gif;");
    store("alt.a", "SubjectFilters", longFilters);
    groups.LoadGroups();
    groups.Add("alt.z");
    const auto old = groups.Item("alt.a");
    old->Name("alt.a");  // the same name again moves nothing
    EXPECT_EQ(groups.Item(1), old);
    for (const char* held : {"alt.z", "ALT.A"})
        EXPECT_THROW(old->Name(held), NewsgroupError) << held;
    old->Name("alt.b");

    EXPECT_EQ(old->Name(), "alt.b");
    EXPECT_EQ(old->Parent(), nullptr);
    EXPECT_EQ(names(), (Names{"alt.z", "alt.b"}));
    const auto moved = groups.Item("alt.b");
    EXPECT_NE(moved, old);
    EXPECT_EQ(moved->MaxFiles(), 9);
    EXPECT_EQ(moved->MinFileSize(), 100);
    EXPECT_EQ(moved->FileTypes(), "*.gif;");
    EXPECT_EQ(storedGroups(), Names{});  // the old key went at once, the new one waits
    groups.SaveGroups();
    EXPECT_EQ(storedGroups(), (Names{"alt.b", "alt.z"}));
    EXPECT_EQ(stored("alt.b", "SubjectFilters"), longFilters);
}

}  // namespace
}  // namespace muralto::newsgroups

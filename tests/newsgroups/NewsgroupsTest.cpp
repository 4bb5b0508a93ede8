#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "newsgroups/clsNewsgroups.h"
#include "tests/support/TempHive.h"

namespace muralto::newsgroups {
namespace {

using Names = std::vector<std::string>;
using Use = std::function<void(clsNewsgroup&)>;

const std::string kDefaultTypes = "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;";

Names filtersOf(clsNewsgroup& group) {
    Names all;
    for (std::int32_t i = 1; i <= group.FilterCount(); ++i)
        all.push_back(group.Filter(i));
    return all;
}

/// The kind of the error that use throws, if any.
std::optional<NewsgroupError::Kind> errorOf(const std::function<void()>& use) {
    try {
        use();
    } catch (const NewsgroupError& e) {
        return e.kind();
    }
    return std::nullopt;
}

class NewsgroupsTest : public testing::Test, protected muralto::test::TempHive {
protected:
    clsNewsgroup group{tools, kDefaultTypes};
    clsNewsgroups groups{tools, kDefaultTypes};

    void store(const std::string& name, const std::string& value, const std::string& text) {
        TempHive::store("Settings\\Newsgroups\\" + name, value, text);
    }
    /// The stored text whatever its length, or "<none>".
    std::string stored(const std::string& name, const std::string& value) {
        return tools.GetINIValue(platform::kProgramTitle, "Settings\\Newsgroups\\" + name, value,
                                 "<none>", std::numeric_limits<long>::max());
    }
    Names storedGroups() {
        Names names;
        tools.EnumKeys(platform::kProgramTitle, "Settings\\Newsgroups", names);
        names.erase(names.begin());
        return names;
    }
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

TEST_F(NewsgroupsTest, FilterOperationsLeaveTheFiltersInOrder) {
    struct Case {
        std::string start;  // given to SetAllFilters
        Use change;
        Names filters;
    };
    const Case cases[] = {
        {"a\r\n\r\nb", nullptr, {"a", "", "b"}},
        {"a\r\nb\r\nc", [](clsNewsgroup& g) { g.RemoveFilter(1); }, {"b", "c"}},
        {"a\r\nb", [](clsNewsgroup& g) { g.Filter(2, "B"); }, {"a", "B"}},
        {"a", [](clsNewsgroup& g) { EXPECT_EQ(g.AddFilter("b"), 2); }, {"a", "b"}},
    };
    for (const Case& c : cases) {
        group.SetAllFilters(c.start);
        if (c.change)
            c.change(group);
        EXPECT_EQ(filtersOf(group), c.filters) << c.start;
        std::string joined;
        for (const auto& f : c.filters)
            joined += f + "\r\n";
        EXPECT_EQ(group.GetAllFilters(), joined);
    }
    EXPECT_EQ(errorOf([&] { group.Filter(3); }), NewsgroupError::Kind::OutOfRange);
}

// A filter text too long to read is saved back as it was, unless the filters were used.
TEST_F(NewsgroupsTest, LongFiltersSurviveALoadAndSaveUnlessUsed) {
    const std::string longText = std::string(200, 'a') + "\r\n" + std::string(100, 'b') + "\r\n";
    struct Case {
        Use use;  // between the load and the save
        std::string saved;
    };
    for (const Case& c : {Case{[](clsNewsgroup& g) { g.MaxFiles(3); }, longText},
                          Case{[](clsNewsgroup& g) { g.AddFilter("new"); }, "new\r\n"}}) {
        store("alt.long", "SubjectFilters", longText);
        group.Name("alt.long");
        group.Load();
        c.use(group);
        group.Save();
        EXPECT_EQ(stored("alt.long", "SubjectFilters"), c.saved);
    }
    // A later load of readable filters forgets the long text.
    store("alt.long", "SubjectFilters", longText);
    store("alt.short", "SubjectFilters", "s\r\n");
    group.Load();
    group.Name("alt.short");
    group.Load();
    group.Save();
    EXPECT_EQ(stored("alt.short", "SubjectFilters"), "s\r\n");
}

// A value the entry does not change stays as stored, even where it is read only up to a NUL;
// a value it changes is written.
TEST_F(NewsgroupsTest, UnchangedValuesStayAsStored) {
    const std::string key =
        tools.BuildKeyPath(platform::kProgramTitle, "Settings\\Newsgroups\\alt.nul");
    const auto raw = [&](const char* name) {
        std::string data;
        registry.queryValue(platform::RootKey::CurrentUser, key, name, data);
        return data;
    };
    const std::string types("*.jpg;\0*.gif;", 13), filters("one\0two\r\n", 10);
    for (const auto& [name, data] :
         {std::pair{"FileTypes", types}, {"SubjectFilters", filters}, {"MaxFiles", "12abc"}})
        ASSERT_EQ(registry.setValue(platform::RootKey::CurrentUser, key, name, data), 0);
    group.Name("alt.nul");
    group.Load();
    group.Save();
    EXPECT_EQ(raw("FileTypes"), types);
    EXPECT_EQ(raw("SubjectFilters"), filters);
    EXPECT_EQ(raw("MaxFiles"), "12abc");
    group.FileTypes("*.png;");
    group.MaxFiles(3);
    group.Save();
    EXPECT_EQ(raw("FileTypes"), "*.png;");
    EXPECT_EQ(raw("MaxFiles"), "3");
    EXPECT_EQ(raw("SubjectFilters"), filters);
}

TEST_F(NewsgroupsTest, AddKeepsInsertionOrderAndRefusesADuplicate) {
    addAll({"zeta", "alpha", "Mid"});
    EXPECT_EQ(names(), (Names{"zeta", "alpha", "Mid"}));
    EXPECT_TRUE(storedGroups().empty());  // nothing is stored before a save
    EXPECT_EQ(errorOf([&] { groups.Add("ALPHA"); }), NewsgroupError::Kind::Duplicate);
    EXPECT_EQ(groups.Count(), 3);
    // Item finds an entry by position or by its whole name in any case.
    EXPECT_TRUE(groups.Item(3) == groups.Item("mid") && groups.Item(3)->Name() == "Mid");
    EXPECT_TRUE(!groups.Item(0) && !groups.Item(4) && !groups.Item("al"));
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
        EXPECT_EQ(errorOf([&] { c.remove(groups); }), c.error);
        EXPECT_EQ(names(), c.left);
        EXPECT_EQ(storedGroups(), c.left);  // before any further save
    }
}

TEST_F(NewsgroupsTest, LoadAndSaveGroupsTakeEveryStoredKeyInListingOrder) {
    // Values missing or beyond 32 bits take their defaults.
    store("b.second", "MaxFiles", "1e12");
    store("Alt.First", "MinFileSize", "-3000000000");
    store("c.third", "FileTypes", "*.gif;");
    groups.LoadGroups();
    EXPECT_EQ(names(), (Names{"Alt.First", "b.second", "c.third"}));
    for (const auto& entry : groups)
        EXPECT_TRUE(entry->MaxFiles() == -1 && entry->MinFileSize() == 0) << entry->Name();
    EXPECT_EQ(groups.Item(1)->FileTypes(), kDefaultTypes);

    const auto added = groups.Add("d.new");
    added->MaxFiles(7);
    added->MinFileSize(-2);
    added->FileTypes("*.bmp;");
    added->AddFilter("f");
    groups.SaveGroups();
    EXPECT_EQ(storedGroups(), (Names{"Alt.First", "b.second", "c.third", "d.new"}));
    EXPECT_EQ(stored("d.new", "MaxFiles") + " " + stored("d.new", "MinFileSize") + " " +
                  stored("d.new", "FileTypes") + " " + stored("d.new", "SubjectFilters"),
              "7 -2 *.bmp; f\r\n");

    std::filesystem::remove(hivePath);
    std::filesystem::create_directories(hivePath);  // every write now fails the same way
    groups.SaveGroups();
    ASSERT_EQ(boxes.shown.size(), 1u);  // once for the one cause
    EXPECT_EQ(boxes.shown[0].title, settings::kRegistryErrorTitle);
}

TEST_F(NewsgroupsTest, RenameMovesTheEntryInTheCollectionAndTheStore) {
    const std::string longFilters = std::string(300, 'q') + "\r\n";  // too long to read
    for (const auto& [value, text] : {std::pair<const char*, std::string>{"MaxFiles", "9"},
                                      {"FileTypes", "*.gif;"},
                                      {"SubjectFilters", longFilters}})
        store("alt.a", value, text);
    groups.LoadGroups();
    groups.Add("alt.z");
    const auto old = groups.Item("alt.a");
    EXPECT_THROW(old->Name("alt.z"), NewsgroupError);
    old->Name("alt.b");

    EXPECT_EQ(old->Name(), "alt.b");
    EXPECT_EQ(old->Parent(), nullptr);
    EXPECT_EQ(names(), (Names{"alt.z", "alt.b"}));
    const auto moved = groups.Item("alt.b");
    EXPECT_NE(moved, old);
    EXPECT_TRUE(moved->MaxFiles() == 9 && moved->FileTypes() == "*.gif;");
    EXPECT_EQ(storedGroups(), Names{});  // the old key went at once, the new one waits
    groups.SaveGroups();
    EXPECT_EQ(storedGroups(), (Names{"alt.b", "alt.z"}));
    EXPECT_EQ(stored("alt.b", "SubjectFilters"), longFilters);
}

}  // namespace
}  // namespace muralto::newsgroups

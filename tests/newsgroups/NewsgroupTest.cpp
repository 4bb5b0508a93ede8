#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "newsgroups/clsNewsgroup.h"
#include "tests/newsgroups/NewsgroupFixture.h"

namespace muralto::newsgroups {
namespace {

using Filters = std::vector<std::string>;
using Use = std::function<void(clsNewsgroup&)>;

Filters filtersOf(clsNewsgroup& group) {
    Filters all;
    for (std::int32_t i = 1; i <= group.FilterCount(); ++i)
        all.push_back(group.Filter(i));
    return all;
}

class NewsgroupTest : public testing::Test, protected test::NewsgroupFixture {
protected:
    clsNewsgroup group{tools, test::kDefaultTypes};
};

TEST_F(NewsgroupTest, FilterOperationsLeaveTheFiltersInOrder) {
    struct Case {
        std::string start;  // given to SetAllFilters
        Use change;
        Filters filters;
    };
    const Case cases[] = {
        {"a\r\n\r\nb", nullptr, {"a", "", "b"}},
        {"x\r\n", [](clsNewsgroup& g) { g.SetAllFilters("y\r\nz"); }, {"y", "z"}},
        {"a\r\nb\r\nc", [](clsNewsgroup& g) { g.RemoveFilter(1); }, {"b", "c"}},
        {"a\r\nb", [](clsNewsgroup& g) { g.Filter(2, "B"); }, {"a", "B"}},
        {"a", [](clsNewsgroup& g) { g.Filter(0, "zero"); }, {"a"}},  // slot 0 is no filter
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
}

TEST_F(NewsgroupTest, AFilterOutOfRangeIsRefusedAndChangesNothing) {
    for (const Use& use : {Use([](clsNewsgroup& g) { g.Filter(3); }),
                           Use([](clsNewsgroup& g) { g.Filter(-1, "x"); }),
                           Use([](clsNewsgroup& g) { g.RemoveFilter(0); })}) {
        group.SetAllFilters("a\r\nb");
        try {
            use(group);
            ADD_FAILURE() << "no error";
        } catch (const NewsgroupError& e) {
            EXPECT_EQ(e.kind(), NewsgroupError::Kind::OutOfRange);
        }
        EXPECT_EQ(filtersOf(group), (Filters{"a", "b"}));
    }
}

TEST_F(NewsgroupTest, LoadTakesStoredValuesOrDefaults) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> values;  // stored before the load
        std::int32_t maxFiles, minFileSize;
        std::string fileTypes;
        Filters filters;
    };
    const Case cases[] = {
        {{}, -1, 0, test::kDefaultTypes, {}},
        {{{"MaxFiles", "25"},
          {"MinFileSize", "4096"},
          {"FileTypes", "*.gif;"},
          {"SubjectFilters", "a\r\nb\r\n"}},
         25,
         4096,
         "*.gif;",
         {"a", "b"}},
        {{{"MaxFiles", "1e12"}, {"MinFileSize", "-3000000000"}}, -1, 0, test::kDefaultTypes, {}},
        // Too long to read: no filters, but the text is kept (see below).
        {{{"SubjectFilters", std::string(253, 'f') + "\r\n"}}, -1, 0, test::kDefaultTypes, {}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(hivePath);
        store("alt.test", "Other", "keeps the key present");
        for (const auto& [value, text] : c.values)
            store("alt.test", value, text);
        group.SetAllFilters("stale");
        group.Name("alt.test");
        group.Load();
        EXPECT_EQ(group.MaxFiles(), c.maxFiles);
        EXPECT_EQ(group.MinFileSize(), c.minFileSize);
        EXPECT_EQ(group.FileTypes(), c.fileTypes);
        EXPECT_EQ(filtersOf(group), c.filters);
    }
}

TEST_F(NewsgroupTest, SaveWritesEveryValue) {
    group.Name("alt.pictures");
    group.MaxFiles(7);
    group.MinFileSize(-2);
    group.FileTypes("*.bmp;");
    group.SetAllFilters("a\r\nb");
    group.Save();
    EXPECT_EQ(stored("alt.pictures", "MaxFiles") + " " + stored("alt.pictures", "MinFileSize") +
                  " " + stored("alt.pictures", "FileTypes"),
              "7 -2 *.bmp;");
    EXPECT_EQ(stored("alt.pictures", "SubjectFilters"), "a\r\nb\r\n");
}

// A filter text too long to read is saved back as it was, unless the filters were used.
TEST_F(NewsgroupTest, LongFiltersSurviveALoadAndSaveUnlessUsed) {
    const std::string longText = std::string(200, 'a') + "\r\n" + std::string(100, 'b') + "\r\n";
    struct Case {
        Use use;  // between the load and the save
        std::string saved;
    };
    for (const Case& c : {Case{[](clsNewsgroup& g) { g.MaxFiles(3); }, longText},
                          Case{[](clsNewsgroup& g) { g.FilterCount(); }, ""},
                          Case{[](clsNewsgroup& g) { g.GetAllFilters(); }, ""},
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

}  // namespace
}  // namespace muralto::newsgroups

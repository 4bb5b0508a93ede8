#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "newsgroups/clsNewsgroup.h"
#include "tests/newsgroups/NewsgroupFixture.h"

namespace muralto::newsgroups {
namespace {

using Filters = std::vector<std::string>;

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

struct FilterCase {
    const char* name;
    std::string start;  // given to SetAllFilters
    std::function<void(clsNewsgroup&)> change;
    Filters filters;
};

const FilterCase kFilterCases[] = {
    {"CrLfSeparates", "a\r\nb\r\nc\r\n", nullptr, {"a", "b", "c"}},
    {"LastPieceWithoutCrLf", "a\r\nb", nullptr, {"a", "b"}},
    {"TwoCrLfGiveAnEmptyFilter", "a\r\n\r\nb", nullptr, {"a", "", "b"}},
    {"LoneCrAndLfStayInside", "a\rb\nc\r\n", nullptr, {"a\rb\nc"}},
    {"OnlyCrLfIsOneEmptyFilter", "\r\n", nullptr, {""}},
    {"EmptyTextNoFilters", "", nullptr, {}},
    {"SetAllReplaces", "x\r\n", [](clsNewsgroup& g) { g.SetAllFilters("y\r\nz"); }, {"y", "z"}},
    {"RemoveFirst", "a\r\nb\r\nc", [](clsNewsgroup& g) { g.RemoveFilter(1); }, {"b", "c"}},
    {"RemoveMiddle", "a\r\nb\r\nc", [](clsNewsgroup& g) { g.RemoveFilter(2); }, {"a", "c"}},
    {"RemoveLast", "a\r\nb\r\nc", [](clsNewsgroup& g) { g.RemoveFilter(3); }, {"a", "b"}},
    {"RemoveOnly", "a", [](clsNewsgroup& g) { g.RemoveFilter(1); }, {}},
    {"WriteOne", "a\r\nb", [](clsNewsgroup& g) { g.Filter(2, "B"); }, {"a", "B"}},
    {"WriteSlotZeroIsNoFilter", "a", [](clsNewsgroup& g) { g.Filter(0, "zero"); }, {"a"}},
    {"AddAppends", "a", [](clsNewsgroup& g) { g.AddFilter("b"); }, {"a", "b"}},
};

class FilterOperations : public NewsgroupTest, public testing::WithParamInterface<FilterCase> {};

TEST_P(FilterOperations, LeaveTheFiltersInOrder) {
    const FilterCase& c = GetParam();
    group.SetAllFilters(c.start);
    if (c.change)
        c.change(group);
    EXPECT_EQ(filtersOf(group), c.filters);
    std::string joined;
    for (const auto& f : c.filters)
        joined += f + "\r\n";
    EXPECT_EQ(group.GetAllFilters(), joined);
}

INSTANTIATE_TEST_SUITE_P(Filters, FilterOperations, testing::ValuesIn(kFilterCases),
                         muralto::test::byName);

TEST_F(NewsgroupTest, StartsWithOnlyTheEmptySlot) {
    EXPECT_EQ(group.FilterCount(), 0);
    EXPECT_EQ(group.Filter(0), "");
    EXPECT_EQ(group.GetAllFilters(), "");
    EXPECT_EQ(group.AddFilter("first"), 1);
    EXPECT_EQ(group.AddFilter("second"), 2);
    EXPECT_EQ(group.Parent(), nullptr);
}

struct RangeCase {
    const char* name;
    std::function<void(clsNewsgroup&)> use;
};

const RangeCase kRangeCases[] = {
    {"ReadBelowZero", [](clsNewsgroup& g) { g.Filter(-1); }},
    {"ReadPastCount", [](clsNewsgroup& g) { g.Filter(3); }},
    {"WriteBelowZero", [](clsNewsgroup& g) { g.Filter(-1, "x"); }},
    {"WritePastCount", [](clsNewsgroup& g) { g.Filter(3, "x"); }},
    {"RemoveSlotZero", [](clsNewsgroup& g) { g.RemoveFilter(0); }},
    {"RemovePastCount", [](clsNewsgroup& g) { g.RemoveFilter(3); }},
};

class FilterRange : public NewsgroupTest, public testing::WithParamInterface<RangeCase> {};

TEST_P(FilterRange, IsRefusedAndChangesNothing) {
    group.SetAllFilters("a\r\nb");
    try {
        GetParam().use(group);
        ADD_FAILURE() << "no error";
    } catch (const NewsgroupError& e) {
        EXPECT_EQ(e.kind(), NewsgroupError::Kind::OutOfRange);
    }
    EXPECT_EQ(filtersOf(group), (Filters{"a", "b"}));
}

INSTANTIATE_TEST_SUITE_P(Filters, FilterRange, testing::ValuesIn(kRangeCases),
                         muralto::test::byName);

struct LoadCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> values;  // stored before the load
    std::int32_t maxFiles, minFileSize;
    std::string fileTypes;
    Filters filters;
};

const LoadCase kLoadCases[] = {
    {"EmptyKeyTakesDefaults", {}, -1, 0, test::kDefaultTypes, {}},
    {"StoredValues",
     {{"MaxFiles", "25"},
      {"MinFileSize", "4096"},
      {"FileTypes", "*.gif;"},
      {"SubjectFilters", "a\r\nb\r\n"}},
     25,
     4096,
     "*.gif;",
     {"a", "b"}},
    {"NumbersLeadingDigits",
     {{"MaxFiles", "12abc"}, {"MinFileSize", " 3.5 "}},
     12,
     4,
     test::kDefaultTypes,
     {}},
    {"NumbersWithoutDigitsAreZero",
     {{"MaxFiles", "abc"}, {"MinFileSize", "x1"}},
     0,
     0,
     test::kDefaultTypes,
     {}},
    {"NumbersBeyond32BitsTakeDefaults",
     {{"MaxFiles", "1e12"}, {"MinFileSize", "-3000000000"}},
     -1,
     0,
     test::kDefaultTypes,
     {}},
    {"EmptyFileTypesStayEmpty", {{"FileTypes", ""}}, -1, 0, "", {}},
    {"LongestReadableFilters",
     {{"SubjectFilters", std::string(252, 'f') + "\r\n"}},
     -1,
     0,
     test::kDefaultTypes,
     {std::string(252, 'f')}},
    {"UnreadableFiltersLoadNone",
     {{"SubjectFilters", std::string(253, 'f') + "\r\n"}},
     -1,
     0,
     test::kDefaultTypes,
     {}},
};

class LoadEntry : public NewsgroupTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadEntry, TakesStoredValuesOrDefaults) {
    const LoadCase& c = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Stored, LoadEntry, testing::ValuesIn(kLoadCases), muralto::test::byName);

TEST_F(NewsgroupTest, SaveWritesEveryValueAndLoadsBack) {
    group.Name("alt.pictures");
    group.MaxFiles(7);
    group.MinFileSize(-2);
    group.FileTypes("*.bmp;");
    group.SetAllFilters("a\r\nb\r\nc\r\n");
    group.Save();
    EXPECT_EQ(stored("alt.pictures", "MaxFiles"), "7");
    EXPECT_EQ(stored("alt.pictures", "MinFileSize"), "-2");
    EXPECT_EQ(stored("alt.pictures", "FileTypes"), "*.bmp;");
    EXPECT_EQ(stored("alt.pictures", "SubjectFilters"), "a\r\nb\r\nc\r\n");

    clsNewsgroup again(tools, test::kDefaultTypes);
    again.Name("alt.pictures");
    again.Load();
    EXPECT_EQ(again.MaxFiles(), 7);
    EXPECT_EQ(again.MinFileSize(), -2);
    EXPECT_EQ(again.FileTypes(), "*.bmp;");
    EXPECT_EQ(filtersOf(again), (Filters{"a", "b", "c"}));
}

struct LongFiltersCase {
    const char* name;
    std::function<void(clsNewsgroup&)> use;  // between the load and the save
    bool kept;
    std::string savedWhenNotKept;
};

const LongFiltersCase kLongFiltersCases[] = {
    {"UntouchedKeepsTheStoredText", nullptr, true, ""},
    {"OtherFieldsChangedKeepsIt", [](clsNewsgroup& g) { g.MaxFiles(3); }, true, ""},
    {"CountReadSavesWhatWasSeen", [](clsNewsgroup& g) { g.FilterCount(); }, false, ""},
    {"AllReadSavesWhatWasSeen", [](clsNewsgroup& g) { g.GetAllFilters(); }, false, ""},
    {"AddedFilterIsSaved", [](clsNewsgroup& g) { g.AddFilter("new"); }, false, "new\r\n"},
    {"SetAllIsSaved", [](clsNewsgroup& g) { g.SetAllFilters("p\r\nq"); }, false, "p\r\nq\r\n"},
};

class LongFilters : public NewsgroupTest, public testing::WithParamInterface<LongFiltersCase> {};

TEST_P(LongFilters, SurviveALoadAndSaveUnlessUsed) {
    const LongFiltersCase& c = GetParam();
    const std::string longText = std::string(200, 'a') + "\r\n" + std::string(100, 'b') + "\r\n";
    store("alt.long", "SubjectFilters", longText);
    group.Name("alt.long");
    group.Load();
    if (c.use)
        c.use(group);
    group.Save();
    EXPECT_EQ(stored("alt.long", "SubjectFilters"), c.kept ? longText : c.savedWhenNotKept);
}

INSTANTIATE_TEST_SUITE_P(Filters, LongFilters, testing::ValuesIn(kLongFiltersCases),
                         muralto::test::byName);

TEST_F(NewsgroupTest, ALoadOfReadableFiltersForgetsAnEarlierLongText) {
    store("alt.long", "SubjectFilters", std::string(300, 'a'));
    store("alt.short", "SubjectFilters", "s\r\n");
    group.Name("alt.long");
    group.Load();
    group.Name("alt.short");
    group.Load();
    group.Save();
    EXPECT_EQ(stored("alt.short", "SubjectFilters"), "s\r\n");
}

TEST_F(NewsgroupTest, WithoutOwnerANewNameOnlyNamesTheEntry) {
    store("alt.a", "MaxFiles", "5");
    group.Name("alt.a");
    group.Name("alt.b");
    EXPECT_EQ(group.Name(), "alt.b");
    EXPECT_EQ(stored("alt.a", "MaxFiles"), "5");
    EXPECT_EQ(stored("alt.b", "MaxFiles"), "<none>");
}

}  // namespace
}  // namespace muralto::newsgroups

// The options window's newsgroups page, hidden as the window always keeps it, over a collection
// of entries in a temporary store: listing, showing and storing an entry's fields, adding and
// deleting entries, adding filters, the list's sideways extent and the scan box.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <string>
#include <vector>

#include "tests/ui/OptionsHarness.h"
#include "ui/TwipGeometry.h"

namespace muralto::ui::test {
namespace {

using newsgroups::clsNewsgroup;

struct Entry {
    std::string name;
    std::int32_t maxFiles = 0;
    std::int32_t minSize = 0;
    std::string fileTypes;
    std::vector<std::string> filters;
};

const std::vector<Entry> kThree = {{"alt.pictures", 10, 1000, "*.jpg", {"spam", "sale"}},
                                   {"alt.photos", 20, 2000, "*.png", {}},
                                   {"alt.scenery", 30, 3000, "*.gif", {"ads"}}};

/// The window of the wallpaper mode with the program's entries loaded and listed, or with no
/// entries loaded yet.
struct GroupsWindow {
    explicit GroupsWindow(const std::vector<Entry>& entries = kThree, bool loaded = true,
                          settings::RunMode mode = settings::RunMode::Wallpaper)
        : window(mode) {
        if (loaded) {
            host().groups =
                std::make_unique<newsgroups::clsNewsgroups>(host().tools, "*.jpg;*.bmp");
            for (const Entry& e : entries) {
                const auto group = host().groups->Add(e.name);
                group->MaxFiles(e.maxFiles);
                group->MinFileSize(e.minSize);
                group->FileTypes(e.fileTypes);
                for (const std::string& filter : e.filters)
                    group->AddFilter(filter);
            }
        }
        window.form->AddGroups();
    }

    FakeOptionsHost& host() { return window.host; }
    NewsgroupsPage& page() { return window.form->groupsPage(); }
    std::shared_ptr<clsNewsgroup> entry(const std::string& name) {
        return host().groups->Item(name);
    }
    void select(int row) { page().lstGroups->setCurrentRow(row); }
    QStringList listed() {
        QStringList names;
        for (int i = 0; i < page().lstGroups->count(); ++i)
            names << page().lstGroups->item(i)->text();
        return names;
    }
    QStringList boxes() {
        return {page().tbxMinSize->text(), page().tbxFileTypes->text(), page().tbxMaxFiles->text()};
    }
    /// Whether the entry still holds what it was made with.
    bool unchanged(const Entry& e) {
        const auto g = entry(e.name);
        return g && g->MaxFiles() == e.maxFiles && g->MinFileSize() == e.minSize &&
               g->FileTypes() == e.fileTypes;
    }

    OptionsWindow window;
};

TEST(NewsgroupsPage, IsTheWindowsHiddenSecondPageAsDesigned) {
    GroupsWindow w;
    QFrame* page = w.window.form->picTabPage(2);
    ASSERT_EQ(page, &w.page());
    EXPECT_EQ(page->objectName(), "picTabPage2");
    EXPECT_EQ(twipGeometry(*page), (options::TwipRect{90, 5130, 6285, 3705}));
    w.window.show();
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(twipGeometry(*w.page().lstGroups), (options::TwipRect{60, 255, 2850, 2595}));
    EXPECT_EQ(twipGeometry(*w.page().tbxMaxFiles), (options::TwipRect{3120, 2700, 2760, 285}));
}

struct ListCase {
    const char* name;
    std::vector<Entry> entries;
    QStringList listed;
};

class AddGroupsTest : public testing::TestWithParam<ListCase> {};

TEST_P(AddGroupsTest, ListsEveryEntrySelectingNothing) {
    GroupsWindow w(GetParam().entries);
    EXPECT_EQ(w.listed(), GetParam().listed);
    EXPECT_TRUE(w.page().lstGroups->selectedItems().isEmpty());
    EXPECT_EQ(w.page().edits().mlGroupIndex, -1);
    EXPECT_EQ(w.boxes(), QStringList({"", "", ""}));
    EXPECT_EQ(w.page().lstGroups->horizontalExtent() > 0, !GetParam().entries.empty());
    EXPECT_EQ(w.page().lstGroups->horizontalExtent(), w.page().edits().mlMaxGroupWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Collections, AddGroupsTest,
    testing::Values(ListCase{"Empty", {}, {}},
                    ListCase{"Three", kThree, {"alt.pictures", "alt.photos", "alt.scenery"}}),
    muralto::test::byName);

TEST(SelectGroup, ShowsTheFieldsAndFiltersOfTheSelectedEntry) {
    GroupsWindow w;
    w.select(0);
    EXPECT_EQ(w.page().edits().mlGroupIndex, 0);
    EXPECT_EQ(w.boxes(), QStringList({"1000", "*.jpg", "10"}));
    ASSERT_EQ(w.page().cboFilters->count(), 2);
    EXPECT_EQ(w.page().cboFilters->itemText(1), "sale");
    EXPECT_EQ(w.page().cboFilters->currentIndex(), 0);
    EXPECT_FALSE(w.page().edits().mbGroupChanged);

    w.select(1);  // no filters: nothing selected in the filter list
    EXPECT_EQ(w.boxes(), QStringList({"2000", "*.png", "20"}));
    EXPECT_EQ(w.page().cboFilters->count(), 0);
    EXPECT_EQ(w.page().cboFilters->currentIndex(), -1);
}

TEST(SelectGroup, FindsAnEntryWhoseNameIsNotUtf8) {
    const std::string name = "alt.bin\xff\xfe";
    GroupsWindow w({{name, 4, 5, "*.jpg", {"f\xe9te"}}});
    w.select(0);
    EXPECT_EQ(w.boxes(), QStringList({"5", "*.jpg", "4"}));
    w.page().tbxMaxFiles->setText("6");
    w.window.form->UpdateGroup();
    EXPECT_EQ(w.entry(name)->MaxFiles(), 6);
}

struct StoreCase {
    const char* name;
    const char* typed;
    std::int32_t stored;
};

class StoreFieldsTest : public testing::TestWithParam<StoreCase> {};

TEST_P(StoreFieldsTest, SelectingAnotherStoresTheTypedNumbersRounded) {
    const StoreCase& c = GetParam();
    GroupsWindow w;
    w.select(0);
    w.page().tbxMaxFiles->setText(c.typed);
    w.page().tbxMinSize->setText(c.typed);
    w.page().tbxFileTypes->setText("*.tif");
    w.select(2);
    const auto first = w.entry("alt.pictures");
    EXPECT_EQ(first->MaxFiles(), c.stored);
    EXPECT_EQ(first->MinFileSize(), c.stored);
    EXPECT_EQ(first->FileTypes(), "*.tif");
    EXPECT_TRUE(w.unchanged(kThree[1]) && w.unchanged(kThree[2]));
}

INSTANTIATE_TEST_SUITE_P(Texts, StoreFieldsTest,
                         // The number rule's own table is with the rule; here its two halves.
                         testing::Values(StoreCase{"HalfDownToEven", "12.5", 12},
                                         StoreCase{"HalfUpToEven", "13.5", 14}),
                         muralto::test::byName);

TEST(StoreFields, SelectingWithoutEditingWritesNothing) {
    GroupsWindow w;
    w.select(0);
    w.entry("alt.pictures")->MaxFiles(99);  // changed behind the boxes' back
    w.select(1);
    EXPECT_EQ(w.entry("alt.pictures")->MaxFiles(), 99);
}

TEST(StoreFields, UnloadStoresTheEditsOfTheEntryOnShow) {
    GroupsWindow w;
    w.select(1);
    w.page().tbxMinSize->setText("4096");
    w.window.form->unload();
    EXPECT_EQ(w.entry("alt.photos")->MinFileSize(), 4096);
}

TEST(StoreFields, UnloadWithNothingSelectedChangesNothing) {
    GroupsWindow w;
    w.page().tbxMaxFiles->setText("77");
    w.page().tbxFileTypes->setText("*.tif");
    w.window.form->unload();
    for (const Entry& e : kThree)
        EXPECT_TRUE(w.unchanged(e)) << e.name;
}

TEST(DeleteGroup, TakesTheEntryOutAndShowsNothing) {
    GroupsWindow w;
    w.select(1);
    w.page().btnDelGroup->click();
    EXPECT_EQ(w.listed(), QStringList({"alt.pictures", "alt.scenery"}));
    EXPECT_EQ(w.host().groups->Count(), 2);
    EXPECT_FALSE(w.entry("alt.photos"));
    EXPECT_TRUE(w.host().messageBoxes.asked.empty());  // no confirmation
    // Nothing selected in its place, nothing shown: the view's own move of the current row
    // would have shown alt.scenery.
    EXPECT_TRUE(w.page().lstGroups->selectedItems().isEmpty());
    EXPECT_EQ(w.boxes(), QStringList({"", "", ""}));
    EXPECT_EQ(w.page().cboFilters->count(), 0);
    EXPECT_EQ(w.page().edits().mlGroupIndex, -1);
    EXPECT_FALSE(w.page().edits().mbGroupChanged);
}

TEST(DeleteGroup, EditsOfTheDeletedEntryAreWrittenNowhere) {
    GroupsWindow w;
    w.select(1);
    w.page().tbxMaxFiles->setText("77");
    w.page().btnDelGroup->click();
    w.select(1);
    w.select(0);
    EXPECT_TRUE(w.unchanged(kThree[0]) && w.unchanged(kThree[2]));
}

TEST(DeleteGroup, TypingAfterTheDeletionChangesNoEntryAtUnload) {
    GroupsWindow w;
    w.select(1);
    w.page().btnDelGroup->click();
    w.page().tbxMaxFiles->setText("77");
    w.page().tbxFileTypes->setText("*.tif");
    w.window.form->unload();
    EXPECT_TRUE(w.unchanged(kThree[0]) && w.unchanged(kThree[2]));
}

TEST(DeleteGroup, ANameTheCollectionNoLongerHoldsLeavesTheList) {
    GroupsWindow w;
    w.host().groups->Remove("alt.photos");
    w.select(1);
    EXPECT_EQ(w.boxes(), QStringList({"", "", ""}));
    w.page().btnDelGroup->click();
    EXPECT_EQ(w.listed(), QStringList({"alt.pictures", "alt.scenery"}));
    EXPECT_EQ(w.host().groups->Count(), 2);
}

TEST(AddFilter, WithNothingSelectedAsksNothing) {
    GroupsWindow w;
    w.host().messageBoxes.inputs = {"spam"};
    w.page().btnAddFilter->click();
    EXPECT_TRUE(w.host().messageBoxes.prompted.empty());
    EXPECT_EQ(w.entry("alt.pictures")->FilterCount(), 2);
}

struct FilterCase {
    const char* name;
    std::vector<std::string> inputs;
    std::int32_t filterCount;
    int shownCount;
};

class AddFilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(AddFilterTest, AddsTheAnswerToTheEntryAndSelectsIt) {
    const FilterCase& c = GetParam();
    GroupsWindow w;
    w.select(0);
    w.host().messageBoxes.inputs.assign(c.inputs.begin(), c.inputs.end());
    w.page().btnAddFilter->click();
    ASSERT_EQ(w.host().messageBoxes.prompted.size(), 1u);
    EXPECT_EQ(w.host().messageBoxes.prompted[0].title, "Muralto");
    EXPECT_EQ(w.host().messageBoxes.prompted[0].text, "Enter the new subject filter.");
    const auto group = w.entry("alt.pictures");
    EXPECT_EQ(group->FilterCount(), c.filterCount);
    QComboBox& filters = *w.page().cboFilters;
    ASSERT_EQ(filters.count(), c.shownCount);
    if (c.filterCount > 2) {
        EXPECT_EQ(filters.currentIndex(), c.shownCount - 1);
        EXPECT_EQ(filters.currentText().toStdString(), c.inputs[0]);
        EXPECT_EQ(filters.currentData().toInt(), c.filterCount);
        EXPECT_EQ(group->Filter(c.filterCount), c.inputs[0]);
    }
    EXPECT_FALSE(w.page().edits().mbGroupChanged);
}

INSTANTIATE_TEST_SUITE_P(Answers, AddFilterTest,
                         testing::Values(FilterCase{"Filter", {"cheap"}, 3, 3},
                                         FilterCase{"Cancelled", {}, 2, 2}),
                         muralto::test::byName);

struct AddCase {
    const char* name;
    std::vector<std::string> inputs;
    bool refused;
    QStringList listed;
    int selected;
    QStringList boxes;
};

class AddGroupTest : public testing::TestWithParam<AddCase> {};

TEST_P(AddGroupTest, AddsANewNameOnceAndShowsIt) {
    const AddCase& c = GetParam();
    GroupsWindow w({kThree[0], kThree[1]});
    w.host().messageBoxes.inputs.assign(c.inputs.begin(), c.inputs.end());
    w.page().btnAddGroup->click();
    auto& boxes = w.host().messageBoxes;
    ASSERT_EQ(boxes.prompted.size(), 1u);
    EXPECT_EQ(boxes.prompted[0].title, "Muralto");
    EXPECT_EQ(boxes.prompted[0].text, "Input the name of the new group.");
    EXPECT_EQ(boxes.shown.size(), c.refused ? 1u : 0u);
    if (c.refused) {
        EXPECT_EQ(boxes.shown[0].title, "Muralto");
    }
    EXPECT_EQ(w.listed(), c.listed);
    EXPECT_EQ(w.host().groups->Count(), c.listed.size());
    const auto selected = w.page().lstGroups->selectedItems();
    EXPECT_EQ(selected.isEmpty() ? -1 : w.page().lstGroups->row(selected[0]), c.selected);
    EXPECT_EQ(w.page().edits().mlGroupIndex, c.selected);
    EXPECT_EQ(w.boxes(), c.boxes);
}

const QStringList kTwo = {"alt.pictures", "alt.photos"};
const QStringList kEmptyBoxes = {"", "", ""};

INSTANTIATE_TEST_SUITE_P(
    Answers, AddGroupTest,
    testing::Values(AddCase{"Cancelled", {}, false, kTwo, -1, kEmptyBoxes},
                    AddCase{"Empty", {""}, false, kTwo, -1, kEmptyBoxes},
                    AddCase{
                        "HeldInOtherCase", {"ALT.Photos"}, false, kTwo, 1, {"2000", "*.png", "20"}},
                    AddCase{"Backslash", {"alt\\pictures"}, true, kTwo, -1, kEmptyBoxes},
                    AddCase{"ControlCharacter", {"alt\tpictures"}, true, kTwo, -1, kEmptyBoxes},
                    AddCase{"New",
                            {"comp.graphics"},
                            false,
                            {"alt.pictures", "alt.photos", "comp.graphics"},
                            2,
                            {"0", "*.jpg;*.bmp", "0"}}),
    muralto::test::byName);

TEST(GroupListExtent, GrowsWithALongNameAndStaysWhenItIsDeleted) {
    GroupsWindow w;
    GroupList& list = *w.page().lstGroups;
    const int listed = list.horizontalExtent();
    w.host().messageBoxes.inputs = {"alt." + std::string(200, 'w')};
    w.page().btnAddGroup->click();
    const int grown = list.horizontalExtent();
    EXPECT_GT(grown, listed);
    EXPECT_GT(grown, list.viewport()->width());
    // Shown, the list lays its items out and scrolls sideways over the whole name.
    w.window.show();
    w.page().show();
    processUntil([&] { return list.horizontalScrollBar()->maximum() > 0; });
    EXPECT_GE(list.horizontalScrollBar()->maximum(), grown - list.viewport()->width());

    // The names left fit the list; the extent still lets it scroll over the deleted one.
    w.page().btnDelGroup->click();
    list.doItemsLayout();
    EXPECT_EQ(list.horizontalExtent(), grown);
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), grown - list.viewport()->width());
}

struct ScanCase {
    const char* name;
    settings::RunMode mode;
    bool filling;
    bool changed;
    bool saveEnabled;
};

class ScanNewsTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanNewsTest, MarksTheImageSettingsChanged) {
    const ScanCase& c = GetParam();
    GroupsWindow w(kThree, true, c.mode);
    ImagePage& image = w.window.page();
    image.btnSave->setEnabled(false);
    w.window.form->edits().mbFilling = c.filling;
    w.page().chkScanNews->click();
    EXPECT_EQ(w.window.form->edits().mbChanged, c.changed);
    EXPECT_EQ(image.btnSave->isEnabled(), c.saveEnabled);
    EXPECT_EQ(w.host().saves, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ScanNewsTest,
    testing::Values(ScanCase{"Wallpaper", settings::RunMode::Wallpaper, false, true, true},
                    ScanCase{"WallpaperFilling", settings::RunMode::Wallpaper, true, false, false},
                    // The options mode leaves the "&Ok" button alone.
                    ScanCase{"Options", settings::RunMode::Options, false, true, false}),
    muralto::test::byName);

TEST(NoCollection, EveryActionDoesNothing) {
    GroupsWindow w({}, /*loaded=*/false);
    auto& boxes = w.host().messageBoxes;
    boxes.inputs = {"comp.graphics", "spam"};
    w.page().btnAddGroup->click();
    w.page().btnAddFilter->click();
    w.page().btnDelGroup->click();
    w.page().lstGroups_Click();
    w.page().tbxMaxFiles->setText("5");
    w.window.form->AddGroups();
    w.window.form->unload();
    EXPECT_TRUE(boxes.prompted.empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(w.page().lstGroups->count(), 0);
    EXPECT_EQ(w.page().lstGroups->horizontalExtent(), 0);
}

}  // namespace
}  // namespace muralto::ui::test

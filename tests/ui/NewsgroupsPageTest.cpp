// The options window's newsgroups page, hidden as the window keeps it, over entries in a
// temporary store.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <string>
#include <vector>

#include "tests/ui/OptionsHarness.h"

namespace muralto::ui::test {
namespace {

struct Entry {
    std::string name;
    std::int32_t maxFiles = 0, minSize = 0;
    std::string fileTypes;
    std::vector<std::string> filters;
};

const std::vector<Entry> kThree = {{"alt.pictures", 10, 1000, "*.jpg", {"spam", "sale"}},
                                   {"alt.photos", 20, 2000, "*.png", {}},
                                   {"alt.scenery", 30, 3000, "*.gif", {"ads"}}};
const QStringList kNoBoxes = {"", "", ""};

/// The window of the wallpaper mode with the program's entries loaded and listed.
struct GroupsWindow {
    explicit GroupsWindow(const std::vector<Entry>& entries = kThree)
        : window(settings::RunMode::Wallpaper) {
        host().groups = std::make_unique<newsgroups::clsNewsgroups>(host().tools, "*.jpg;*.bmp");
        for (const Entry& e : entries) {
            const auto group = host().groups->Add(e.name);
            group->MaxFiles(e.maxFiles);
            group->MinFileSize(e.minSize);
            group->FileTypes(e.fileTypes);
            for (const std::string& filter : e.filters)
                group->AddFilter(filter);
        }
        window.form->AddGroups();
    }

    FakeOptionsHost& host() { return window.host; }
    NewsgroupsPage& page() { return window.form->groupsPage(); }
    std::shared_ptr<newsgroups::clsNewsgroup> entry(const std::string& name) {
        return host().groups->Item(name);
    }
    void select(int row) { page().lstGroups->setCurrentRow(row); }
    int selected() {
        const auto items = page().lstGroups->selectedItems();
        return items.isEmpty() ? -1 : page().lstGroups->row(items[0]);
    }
    QStringList listed() {
        QStringList names;
        for (int i = 0; i < page().lstGroups->count(); ++i)
            names << page().lstGroups->item(i)->text();
        return names;
    }
    QStringList boxes() {
        return {page().tbxMinSize->text(), page().tbxFileTypes->text(), page().tbxMaxFiles->text()};
    }
    void type(const char* maxFiles) {
        page().tbxMaxFiles->setText(maxFiles);
        page().tbxMinSize->setText(maxFiles);
        page().tbxFileTypes->setText("*.tif");
    }

    OptionsWindow window;
};

TEST(NewsgroupsPage, ListsEveryEntryAndSelectingOneShowsItsFieldsAndStoresTheEdits) {
    GroupsWindow w;
    EXPECT_EQ(w.listed(), QStringList({"alt.pictures", "alt.photos", "alt.scenery"}));
    EXPECT_EQ(w.selected(), -1);
    EXPECT_EQ(w.boxes(), kNoBoxes);

    w.select(0);
    EXPECT_EQ(w.boxes(), QStringList({"1000", "*.jpg", "10"}));
    ASSERT_EQ(w.page().cboFilters->count(), 2);
    EXPECT_EQ(w.page().cboFilters->itemText(1), "sale");
    EXPECT_EQ(w.page().cboFilters->currentIndex(), 0);
    w.type("13.5");
    w.select(1);  // stores the typed numbers rounded; no filters: nothing selected in the list
    EXPECT_EQ(w.boxes(), QStringList({"2000", "*.png", "20"}));
    EXPECT_EQ(w.page().cboFilters->currentIndex(), -1);
    const auto first = w.entry("alt.pictures");
    EXPECT_TRUE(first->MaxFiles() == 14 && first->MinFileSize() == 14);
    EXPECT_EQ(first->FileTypes(), "*.tif");
    EXPECT_EQ(w.entry("alt.photos")->MaxFiles(), 20);
    w.select(2);
    w.page().tbxMinSize->setText("4096");
    w.window.form->unload();  // stores the edits of the entry on show
    EXPECT_EQ(w.entry("alt.scenery")->MinFileSize(), 4096);
}

TEST(NewsgroupsPage, DeleteTakesTheEntryOutShowsNothingAndItsEditsGoNowhere) {
    GroupsWindow w;
    w.select(1);
    w.page().tbxMaxFiles->setText("77");
    w.page().btnDelGroup->click();
    EXPECT_EQ(w.listed(), QStringList({"alt.pictures", "alt.scenery"}));
    EXPECT_FALSE(w.entry("alt.photos"));
    EXPECT_TRUE(w.host().messageBoxes.asked.empty());  // no confirmation
    // Nothing selected in its place: the view's own move of the current row would show one.
    EXPECT_EQ(w.selected(), -1);
    EXPECT_EQ(w.boxes(), kNoBoxes);
    w.type("78");  // typed after the deletion
    w.window.form->unload();
    EXPECT_EQ(w.entry("alt.pictures")->MaxFiles(), 10);
    EXPECT_EQ(w.entry("alt.scenery")->MaxFiles(), 30);
}

TEST(NewsgroupsPage, AddFilterAsksForTheSelectedEntryAndSelectsTheAnswer) {
    GroupsWindow w;
    auto& boxes = w.host().messageBoxes;
    boxes.inputs = {"cheap"};
    w.page().btnAddFilter->click();  // nothing selected: nothing asked
    EXPECT_TRUE(boxes.prompted.empty());
    w.select(0);
    w.page().btnAddFilter->click();
    boxes.inputs.clear();  // cancelled
    w.page().btnAddFilter->click();
    ASSERT_EQ(boxes.prompted.size(), 2u);
    const auto group = w.entry("alt.pictures");
    EXPECT_EQ(group->FilterCount(), 3);
    EXPECT_EQ(group->Filter(3), "cheap");
    QComboBox& filters = *w.page().cboFilters;
    ASSERT_EQ(filters.count(), 3);
    EXPECT_EQ(filters.currentIndex(), 2);
    EXPECT_EQ(filters.currentData().toInt(), 3);
}

TEST(NewsgroupsPage, AddGroupAddsANewNameOnceAndShowsIt) {
    const QStringList two = {"alt.pictures", "alt.photos"},
                      three = two + QStringList{"comp.graphics"};
    const struct {
        std::vector<std::string> inputs;
        bool refused;
        QStringList listed;
        int selected;
        QStringList boxes;
    } rows[] = {{{}, false, two, -1, kNoBoxes},
                {{"ALT.Photos"}, false, two, 1, {"2000", "*.png", "20"}},
                {{"alt\\pictures"}, true, two, -1, kNoBoxes},
                {{"comp.graphics"}, false, three, 2, {"0", "*.jpg;*.bmp", "0"}}};
    for (const auto& row : rows) {
        GroupsWindow w({kThree[0], kThree[1]});
        auto& boxes = w.host().messageBoxes;
        boxes.inputs.assign(row.inputs.begin(), row.inputs.end());
        w.page().btnAddGroup->click();
        ASSERT_EQ(boxes.prompted.size(), 1u);
        EXPECT_EQ(boxes.shown.size(), row.refused ? 1u : 0u);
        EXPECT_EQ(w.listed(), row.listed);
        EXPECT_EQ(w.host().groups->Count(), row.listed.size());
        EXPECT_EQ(w.selected(), row.selected);
        EXPECT_EQ(w.boxes(), row.boxes);
    }
}

TEST(NewsgroupsPage, TheExtentGrowsWithALongNameAndStaysWhenItIsDeleted) {
    GroupsWindow w;
    GroupList& list = *w.page().lstGroups;
    const int listed = list.horizontalExtent();
    w.host().messageBoxes.inputs = {"alt." + std::string(200, 'w')};
    w.page().btnAddGroup->click();
    const int grown = list.horizontalExtent();
    EXPECT_GT(grown, listed);
    // Shown, the list scrolls sideways over the whole name; after the deletion too.
    w.window.show();
    w.page().show();
    w.page().btnDelGroup->click();
    list.doItemsLayout();
    EXPECT_EQ(list.horizontalExtent(), grown);
    processUntil([&] { return list.horizontalScrollBar()->maximum() > 0; });
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), grown - list.viewport()->width());
}

TEST(NewsgroupsPage, TheScanBoxMarksTheImageSettingsChanged) {
    GroupsWindow w;
    w.window.page().btnSave->setEnabled(false);
    w.page().chkScanNews->click();
    EXPECT_TRUE(w.window.page().btnSave->isEnabled());
    EXPECT_EQ(w.host().saves, 0);
}

}  // namespace
}  // namespace muralto::ui::test

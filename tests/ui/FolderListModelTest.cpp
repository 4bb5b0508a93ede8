#include "ui/FolderListModel.h"

#include <gtest/gtest.h>

namespace muralto::ui {
namespace {

std::vector<imaging::Subfolder> subfolders(std::initializer_list<const char*> names) {
    std::vector<imaging::Subfolder> result;
    for (const char* name : names)
        result.push_back({name, QString::fromUtf8(name)});
    return result;
}

std::vector<std::string> paths(const FolderListModel& model) {
    std::vector<std::string> result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.push_back(model.row(row).path);
    return result;
}

TEST(FolderListModelTest, ShowsTheFoldersAboveAtOnceAndTheSubfoldersBelowOnceListed) {
    FolderListModel model;
    const auto generation = model.showFolder("/home/pics");
    EXPECT_EQ(paths(model), (std::vector<std::string>{"/", "/home", "/home/pics"}));
    EXPECT_EQ(model.currentRow(), 2);
    EXPECT_FALSE(model.listed());
    ASSERT_TRUE(model.fill(generation, subfolders({"b"})));
    EXPECT_EQ(paths(model), (std::vector<std::string>{"/", "/home", "/home/pics", "/home/pics/b"}));
    EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "home");
    EXPECT_EQ(model.data(model.index(3), FolderListModel::DepthRole).toInt(), 3);
    EXPECT_TRUE(model.row(2).open && !model.row(3).open);
    ASSERT_TRUE(model.fill(model.showFolder("/"), subfolders({"etc"})));
    EXPECT_EQ(paths(model), (std::vector<std::string>{"/", "/etc"}));
}

TEST(FolderListModelTest, AListingOfAShowingThatEndedIsDropped) {
    FolderListModel model;
    const auto first = model.showFolder("/b");
    // The same folder shown again is a new showing: its earlier listing may be out of date.
    const auto again = model.showFolder("/b");
    EXPECT_FALSE(model.fill(first, subfolders({"old"})));
    EXPECT_FALSE(model.listed());
    ASSERT_TRUE(model.fill(again, subfolders({"new"})));
    EXPECT_EQ(paths(model), (std::vector<std::string>{"/", "/b", "/b/new"}));
    EXPECT_FALSE(model.fill(again, subfolders({"twice"}))) << "one listing per showing";
}

}  // namespace
}  // namespace muralto::ui

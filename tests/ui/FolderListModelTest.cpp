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
    const auto generation = model.showFolder("/home/ann/pics");
    EXPECT_EQ(paths(model),
              (std::vector<std::string>{"/", "/home", "/home/ann", "/home/ann/pics"}));
    EXPECT_EQ(model.currentRow(), 3);
    EXPECT_FALSE(model.listed());
    ASSERT_TRUE(model.fill(generation, subfolders({"2019", "b"})));
    EXPECT_EQ(paths(model), (std::vector<std::string>{"/", "/home", "/home/ann", "/home/ann/pics",
                                                      "/home/ann/pics/2019", "/home/ann/pics/b"}));
    EXPECT_EQ(model.data(model.index(2), Qt::DisplayRole).toString(), "ann");
    EXPECT_EQ(model.data(model.index(0), Qt::DisplayRole).toString(), "/");
    EXPECT_EQ(model.data(model.index(4), FolderListModel::DepthRole).toInt(), 4);
    EXPECT_TRUE(model.row(3).open);
    EXPECT_FALSE(model.row(4).open);
}

TEST(FolderListModelTest, TheRootsSubfoldersHangBelowIt) {
    FolderListModel model;
    ASSERT_TRUE(model.fill(model.showFolder("/"), subfolders({"etc"})));
    EXPECT_EQ(paths(model), (std::vector<std::string>{"/", "/etc"}));
    EXPECT_EQ(model.currentRow(), 0);
}

TEST(FolderListModelTest, AListingOfAFolderNoLongerShownIsDropped) {
    FolderListModel model;
    const auto first = model.showFolder("/a");
    const auto second = model.showFolder("/b");
    EXPECT_FALSE(model.fill(first, subfolders({"old"})));
    EXPECT_EQ(paths(model), (std::vector<std::string>{"/", "/b"}));
    EXPECT_FALSE(model.listed());
    // The same folder shown again is a new showing too: its earlier listing may be out of date.
    const auto again = model.showFolder("/b");
    EXPECT_FALSE(model.fill(second, subfolders({"old"})));
    ASSERT_TRUE(model.fill(again, subfolders({"new"})));
    EXPECT_EQ(paths(model), (std::vector<std::string>{"/", "/b", "/b/new"}));
    EXPECT_FALSE(model.fill(again, subfolders({"twice"}))) << "one listing per showing";
}

}  // namespace
}  // namespace muralto::ui

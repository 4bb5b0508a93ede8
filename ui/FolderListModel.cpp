#include "ui/FolderListModel.h"

#include <QApplication>
#include <QStyle>

namespace muralto::ui {
namespace {

/// The folder's ancestors and itself, "/" first.
std::vector<FolderListModel::Row> openRows(const std::string& folder) {
    std::vector<FolderListModel::Row> rows{{"/", QStringLiteral("/"), 0, true}};
    std::size_t start = 1;
    while (start < folder.size()) {
        std::size_t end = folder.find('/', start);
        if (end == std::string::npos)
            end = folder.size();
        if (end > start) {
            rows.push_back({folder.substr(0, end),
                            imaging::DisplayName(folder.substr(start, end - start)),
                            int(rows.size()), true});
        }
        start = end + 1;
    }
    return rows;
}

}  // namespace

FolderListModel::FolderListModel(QObject* parent)
    : QAbstractListModel(parent),
      openIcon_(QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon)),
      closedIcon_(QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon)) {}

std::uint64_t FolderListModel::showFolder(const std::string& folder) {
    beginResetModel();
    openRows_ = openRows(folder);
    subfolders_.clear();
    listed_ = false;
    endResetModel();
    return ++generation_;
}

bool FolderListModel::fill(std::uint64_t generation, std::vector<imaging::Subfolder> subfolders) {
    if (generation != generation_ || listed_)
        return false;
    listed_ = true;
    if (subfolders.empty())
        return true;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(subfolders.size()) - 1);
    subfolders_ = std::move(subfolders);
    endInsertRows();
    return true;
}

FolderListModel::Row FolderListModel::row(int index) const {
    const auto at = std::size_t(index);
    if (at < openRows_.size())
        return openRows_[at];
    const Row& folder = openRows_.back();
    const imaging::Subfolder& sub = subfolders_.at(at - openRows_.size());
    return {(folder.path == "/" ? folder.path : folder.path + "/") + sub.name, sub.display,
            folder.depth + 1, false};
}

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(openRows_.size() + subfolders_.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto at = std::size_t(index.row());
    const bool open = at < openRows_.size();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return open ? openRows_[at].display : subfolders_[at - openRows_.size()].display;
        case Qt::DecorationRole:
            return open ? openIcon_ : closedIcon_;
        case DepthRole:
            return open ? openRows_[at].depth : openRows_.back().depth + 1;
        default:
            return {};
    }
}

}  // namespace muralto::ui

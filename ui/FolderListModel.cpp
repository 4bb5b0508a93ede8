#include "FolderListModel.h"

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
    rows_ = openRows(folder);
    currentRow_ = int(rows_.size()) - 1;
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
    const std::string& folder = rows_.back().path;
    const std::string prefix = folder == "/" ? folder : folder + "/";
    const int depth = rows_.back().depth + 1;
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(subfolders.size()) - 1);
    rows_.reserve(rows_.size() + subfolders.size());
    for (imaging::Subfolder& sub : subfolders)
        rows_.push_back({prefix + sub.name, std::move(sub.display), depth, false});
    endInsertRows();
    return true;
}

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const Row& r = rows_[std::size_t(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return r.display;
        case Qt::DecorationRole:
            return r.open ? openIcon_ : closedIcon_;
        case DepthRole:
            return r.depth;
        default:
            return {};
    }
}

}  // namespace muralto::ui

#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <cstdint>
#include <string>
#include <vector>

#include "folders/SubfolderListing.h"

namespace muralto::ui {

/// The rows of the directory list: the folders above the folder shown, the folder itself, then
/// its subfolders once they have been listed. Each row keeps its folder's real bytes; the text
/// on screen is only for the eye.
class FolderListModel : public QAbstractListModel {
public:
    /// How deep a row sits: 0 for "/", one more per folder below it (an int).
    static constexpr int DepthRole = Qt::UserRole + 1;

    struct Row {
        std::string path;  ///< the folder's absolute path
        QString display;   ///< its name on screen ("/" for the root)
        int depth = 0;
        bool open = false;  ///< the folder shown or one above it
    };

    explicit FolderListModel(QObject* parent = nullptr);

    /// Shows folder (absolute, normalised) and the folders above it, with no subfolders yet.
    /// Returns the number of this showing: a listing made for an earlier one is stale.
    std::uint64_t showFolder(const std::string& folder);
    /// Adds the subfolders listed for showing number generation. False, changing nothing, when
    /// another folder is shown by now or these are in already.
    bool fill(std::uint64_t generation, std::vector<imaging::Subfolder> subfolders);
    /// Whether the subfolders of the folder shown are in.
    bool listed() const { return listed_; }
    /// The row of the folder shown.
    int currentRow() const { return int(openRows_.size()) - 1; }
    /// The row at index (0 <= index < rowCount()).
    Row row(int index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<Row> openRows_;                   ///< the folders above and the folder shown
    std::vector<imaging::Subfolder> subfolders_;  ///< taken over whole: no work per row
    std::uint64_t generation_ = 0;
    bool listed_ = false;
    QIcon openIcon_;
    QIcon closedIcon_;
};

}  // namespace muralto::ui

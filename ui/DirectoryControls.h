#pragma once

#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "folders/SubfolderListing.h"

class QComboBox;
class QListView;

namespace muralto::imaging {
class FolderProbe;
}

namespace muralto::ui {

class FolderListModel;
class DirectoryState;

/// Dir1: the folder shown, the folders above it and its subfolders.
class DirListBox : public QWidget {
    Q_OBJECT
public:
    /// Lists the subfolders of a folder; called on a worker thread.
    using Lister = std::function<std::vector<imaging::Subfolder>(const std::string& folder)>;

    DirListBox(QWidget* parent, std::shared_ptr<DirectoryState> state);
    ~DirListBox() override;

    /// Points the list at directory (absolute; a trailing '/' is ignored). False, changing
    /// nothing, when it is missing, unreadable, not a directory, or its file system does not
    /// answer within about two seconds.
    bool setPath(const std::string& directory);
    /// The folder shown: absolute, without a trailing '/' except "/" itself.
    std::string path() const;

    /// Replaces the function that lists subfolders (tests and benchmarks hand in their own).
    void setLister(Lister lister);
    /// Whether the subfolders of the folder shown are in the list.
    bool listed() const;
    /// The list's rows: the folder's ancestors, the folder, then its subfolders.
    const FolderListModel& model() const { return *model_; }
    /// Opens the folder of a row, as a double click or Enter on it does.
    bool open(int row);

signals:
    /// The folder shown changed, by setPath or by the user opening a folder in the list.
    void Change();
    /// The subfolders of the folder shown have been filled in.
    void Listed();

private:
    /// Shows folder and the folders above it at once, and starts listing its subfolders.
    void showFolder(const std::string& folder);
    /// Lists folder's subfolders on a worker thread; they fill the list if it still shows the
    /// same showing then.
    void startListing(std::uint64_t generation, const std::string& folder);

    std::shared_ptr<DirectoryState> state_;
    FolderListModel* model_;
    QListView* view_;
    Lister lister_;
    struct Mailbox;
    std::shared_ptr<Mailbox> mailbox_;
};

/// Drive1: the mounted real file systems, shown by mount point.
class DriveListBox : public QWidget {
    Q_OBJECT
public:
    DriveListBox(QWidget* parent, std::shared_ptr<DirectoryState> state);

    /// Shows the drive (real file system) that holds pathOnIt. False, changing nothing, when
    /// none holds it or it does not answer within about two seconds (not ready).
    bool setDrive(const std::string& pathOnIt);
    /// The mount point shown.
    std::string drive() const;
    /// The current directory of the drive shown: the program's folder when it lies on that
    /// drive, else the last folder the directory list showed on it in this run, else the mount
    /// point.
    std::string currentDirectory() const;

    /// The mount points offered, as the list holds them.
    std::vector<std::string> drives() const { return drives_; }

signals:
    /// The drive shown changed, by setDrive or by the user's choice.
    void Change();

private:
    /// The user's choice of the drive at index: Change when it is ready and another one, else
    /// the box shows the drive it showed before.
    void pick(int index);
    /// Reads the drives afresh from the mount table and selects the one shown.
    void refresh();

    std::shared_ptr<DirectoryState> state_;
    QComboBox* combo_;
    std::vector<std::string> drives_;
};

/// The pair over one shared state, as children of parent. They start on the program's folder
/// and its drive without emitting Change.
struct DirectoryControls {
    DirListBox* Dir1;
    DriveListBox* Drive1;
};
DirectoryControls makeDirectoryControls(QWidget* parent, std::string programDirectory,
                                        std::string mountInfoPath = "/proc/self/mountinfo");
/// The same, asking the file system through probe (which must give up in time by itself).
DirectoryControls makeDirectoryControls(QWidget* parent, std::string programDirectory,
                                        std::string mountInfoPath,
                                        std::shared_ptr<imaging::FolderProbe> probe);

/// Waits until no directory list is reading a folder any more, at most limit; whether none is.
/// The application also waits for them (two seconds at most) when it ends.
bool waitForDirectoryListings(std::chrono::milliseconds limit);

}  // namespace muralto::ui

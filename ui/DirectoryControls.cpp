#include "ui/DirectoryControls.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListView>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "folders/BoundedFolderProbe.h"
#include "folders/DirectoryLists.h"
#include "folders/MountTable.h"
#include "platform/HeapTrim.h"
#include "ui/FolderListModel.h"

namespace muralto::ui {

/// What the two lists share: the drive and folder shown and the last folder shown per drive.
class DirectoryState {
public:
    DirectoryState(std::string programDirectory, std::string mountInfo,
                   std::shared_ptr<imaging::FolderProbe> probe)
        : mountInfoPath(std::move(mountInfo)),
          lists(std::move(programDirectory), std::move(probe)) {}

    const std::string mountInfoPath;  ///< the mount table the drive list is read from
    imaging::MountDirectoryLists lists;
};

namespace {

/// From this many subfolders on, a listing worker tidies the heap it leaves behind.
constexpr std::size_t kLargeListing = 10'000;

/// How long the ending application waits for listings still being read.
constexpr std::chrono::seconds kListingsAtExit{2};

/// The listing workers still running. Never destroyed: a worker may outlive every static.
struct Listings {
    std::mutex mutex;
    std::condition_variable finished;
    int running = 0;
};

Listings& listings() {
    static auto* running = new Listings;
    return *running;
}

void waitForListingsAtExit() {
    waitForDirectoryListings(kListingsAtExit);
}

/// Counts a listing worker from its start to its end, and makes the ending application wait for
/// the workers: one still sorting (with the library's collation data) while the library's data
/// is torn down would crash the process on its way out.
class ListingWorker {
public:
    ListingWorker() {
        static std::once_flag registered;
        std::call_once(registered, [] { qAddPostRoutine(waitForListingsAtExit); });
        const std::lock_guard lock(listings().mutex);
        ++listings().running;
    }
    ~ListingWorker() {
        const std::lock_guard lock(listings().mutex);
        --listings().running;
        listings().finished.notify_all();
    }
    ListingWorker(const ListingWorker&) = delete;
    ListingWorker& operator=(const ListingWorker&) = delete;
};

/// Indents each row by its depth, so the folders below a folder stand to its right.
class IndentingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() +
                              kIndent * index.data(FolderListModel::DepthRole).toInt());
        QStyledItemDelegate::paint(painter, indented, index);
    }

private:
    static constexpr int kIndent = 12;
};

/// A list view that opens the current row on Enter as on a double click.
class FolderView : public QListView {
public:
    using QListView::QListView;
    std::function<void(int)> opened;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && currentIndex().isValid() && opened) {
            opened(currentIndex().row());
            return;
        }
        QListView::keyPressEvent(event);
    }
};

/// A combo box that reads the drives afresh each time its list opens.
class DriveCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> aboutToOpen;

    void showPopup() override {
        if (aboutToOpen)
            aboutToOpen();
        QComboBox::showPopup();
    }
};

}  // namespace

/// Where a listing worker hands its result: the list while it exists, nothing after.
struct DirListBox::Mailbox {
    std::mutex mutex;
    DirListBox* receiver = nullptr;
};

DirListBox::DirListBox(QWidget* parent, std::shared_ptr<DirectoryState> state)
    : QWidget(parent),
      state_(std::move(state)),
      model_(new FolderListModel(this)),
      lister_([](const std::string& folder) { return imaging::ListSubfolders(folder); }),
      mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->receiver = this;
    auto* view = new FolderView(this);
    view_ = view;
    view->setModel(model_);
    view->setUniformItemSizes(true);
    view->setItemDelegate(new IndentingDelegate(view));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->opened = [this](int row) { open(row); };
    connect(view, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { open(index.row()); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    showFolder(state_->lists.directory());
}

DirListBox::~DirListBox() {
    const std::lock_guard lock(mailbox_->mutex);
    mailbox_->receiver = nullptr;
}

bool DirListBox::setPath(const std::string& directory) {
    const std::string before = state_->lists.directory();
    if (directory.empty() || !state_->lists.selectDirectory(directory))
        return false;
    if (state_->lists.directory() == before)
        return true;
    showFolder(state_->lists.directory());
    emit Change();
    return true;
}

std::string DirListBox::path() const {
    return state_->lists.directory();
}

void DirListBox::setLister(Lister lister) {
    lister_ = std::move(lister);
}

bool DirListBox::listed() const {
    return model_->listed();
}

bool DirListBox::open(int row) {
    if (row < 0 || row >= model_->rowCount())
        return false;
    const std::string folder = model_->row(row).path;
    if (folder == path()) {
        showFolder(folder);  // opening the folder shown reads it again
        return true;
    }
    return setPath(folder);
}

void DirListBox::showFolder(const std::string& folder) {
    const std::uint64_t generation = model_->showFolder(folder);
    const QModelIndex current = model_->index(model_->currentRow());
    view_->setCurrentIndex(current);
    view_->scrollTo(current);
    startListing(generation, folder);
}

void DirListBox::startListing(std::uint64_t generation, const std::string& folder) {
    auto worker = std::make_shared<ListingWorker>();
    std::thread([generation, folder, lister = lister_, mailbox = mailbox_, worker] {
        auto listing = std::make_shared<std::vector<imaging::Subfolder>>(lister(folder));
        if (listing->size() >= kLargeListing)
            platform::TrimHeap();
        const std::lock_guard lock(mailbox->mutex);
        DirListBox* list = mailbox->receiver;
        if (!list)
            return;
        QMetaObject::invokeMethod(
            list,
            [list, generation, listing] {
                if (list->model_->fill(generation, std::move(*listing)))
                    emit list->Listed();
            },
            Qt::QueuedConnection);
    }).detach();
}

DriveListBox::DriveListBox(QWidget* parent, std::shared_ptr<DirectoryState> state)
    : QWidget(parent), state_(std::move(state)) {
    auto* combo = new DriveCombo(this);
    combo_ = combo;
    combo->aboutToOpen = [this] { refresh(); };
    connect(combo, &QComboBox::activated, this, &DriveListBox::pick);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(combo);
    refresh();
}

bool DriveListBox::setDrive(const std::string& pathOnIt) {
    const std::string before = drive();
    if (pathOnIt.empty() || !state_->lists.showDrive(pathOnIt))
        return false;
    if (drive() == before)
        return true;
    refresh();
    emit Change();
    return true;
}

std::string DriveListBox::drive() const {
    return state_->lists.drive();
}

std::string DriveListBox::currentDirectory() const {
    return state_->lists.currentDirectoryOfDrive();
}

void DriveListBox::pick(int index) {
    if (index < 0 || std::size_t(index) >= drives_.size())
        return;
    const std::string before = drive();
    if (drives_[std::size_t(index)] != before &&
        state_->lists.showDrive(drives_[std::size_t(index)]) && drive() != before) {
        refresh();
        emit Change();
        return;
    }
    refresh();  // the drive shown before shows again
}

void DriveListBox::refresh() {
    drives_ = imaging::RealDriveMountPoints(imaging::ReadMountTable(state_->mountInfoPath));
    const std::string shown = drive();
    auto at = std::lower_bound(drives_.begin(), drives_.end(), shown);
    if (at == drives_.end() || *at != shown)
        at = drives_.insert(at, shown);  // "/" when the table lists no drive above the folder
    const QSignalBlocker quiet(combo_);
    combo_->clear();
    for (const std::string& point : drives_)
        combo_->addItem(imaging::DisplayName(point));
    combo_->setCurrentIndex(int(at - drives_.begin()));
}

DirectoryControls makeDirectoryControls(QWidget* parent, std::string programDirectory,
                                        std::string mountInfoPath) {
    auto probe = std::make_shared<imaging::BoundedFolderProbe>(mountInfoPath);
    return makeDirectoryControls(parent, std::move(programDirectory), std::move(mountInfoPath),
                                 std::move(probe));
}

DirectoryControls makeDirectoryControls(QWidget* parent, std::string programDirectory,
                                        std::string mountInfoPath,
                                        std::shared_ptr<imaging::FolderProbe> probe) {
    auto state = std::make_shared<DirectoryState>(std::move(programDirectory),
                                                  std::move(mountInfoPath), std::move(probe));
    return {new DirListBox(parent, state), new DriveListBox(parent, state)};
}

bool waitForDirectoryListings(std::chrono::milliseconds limit) {
    Listings& l = listings();
    std::unique_lock lock(l.mutex);
    return l.finished.wait_for(lock, limit, [&] { return l.running == 0; });
}

}  // namespace muralto::ui

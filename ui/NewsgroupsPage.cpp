#include "ui/NewsgroupsPage.h"

#include <QScopedValueRollback>
#include <QScrollBar>
#include <utility>

#include "i18n/CaptionForm.h"
#include "options/PathText.h"
#include "platform/ProgramIdentity.h"
#include "settings/Twips.h"
#include "ui/MakeControl.h"
#include "ui/TwipGeometry.h"

namespace muralto::ui {
namespace {

using options::pathToText;
using options::textToPath;

/// Where the page's controls stand, in twips of the page. The page keeps this layout.
struct Design {
    const char* name;
    options::TwipRect place;
};
constexpr Design kDesign[] = {
    {"chkScanNews", {30, -15, 2760, 240}},    {"lstGroups", {60, 255, 2850, 2595}},
    {"lblFilters", {3015, 240, 1320, 195}},   {"cboFilters", {3015, 450, 3075, 315}},
    {"btnDelFilter", {3765, 825, 1145, 315}}, {"btnAddFilter", {4950, 825, 1145, 315}},
    {"lblMinSize", {3075, 1275, 990, 195}},   {"tbxMinSize", {3105, 1470, 2745, 285}},
    {"lblFileType", {3105, 1875, 1035, 195}}, {"tbxFileTypes", {3090, 2085, 2760, 300}},
    {"lblMaxFiles", {3105, 2445, 2745, 180}}, {"tbxMaxFiles", {3120, 2700, 2760, 285}},
    {"btnDelGroup", {450, 2970, 1145, 315}},  {"btnAddGroup", {1650, 2970, 1145, 315}},
};

constexpr std::string_view kGroupPrompt = "Input the name of the new group.";
constexpr std::string_view kFilterPrompt = "Enter the new subject filter.";

}  // namespace

GroupList::GroupList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void GroupList::setHorizontalExtent(int pixels) {
    if (pixels <= extent_)
        return;
    extent_ = pixels;
    keepExtent();
}

void GroupList::updateGeometries() {
    QListWidget::updateGeometries();
    keepExtent();
}

void GroupList::keepExtent() {
    // The items' own width sets the range first; the extent widens it, never narrows it.
    QScrollBar* bar = horizontalScrollBar();
    const int beyondView = extent_ - viewport()->width();
    if (beyondView > bar->maximum())
        bar->setRange(0, beyondView);
}

NewsgroupsPage::NewsgroupsPage(QWidget& parent, OptionsHost& host,
                               std::function<void()> imageEdited)
    : QFrame(&parent), host_(host), imageEdited_(std::move(imageEdited)) {
    setObjectName("picTabPage2");
    setFrameShape(QFrame::Box);
    createControls();
    for (const Design& d : kDesign) {
        if (auto* control = findChild<QWidget*>(QString::fromLatin1(d.name)))
            placeInTwips(*control, d.place);
    }
    connectHandlers();
}

void NewsgroupsPage::createControls() {
    chkScanNews = makeControl<QCheckBox>(this, "chkScanNews", "chkScanNews#18");
    lstGroups = makeControl<GroupList>(this, "lstGroups");
    lblFilters = makeControl<QLabel>(this, "lblFilters", "lblExcludeSubj#13");
    cboFilters = makeControl<QComboBox>(this, "cboFilters");
    btnDelFilter = makeControl<QPushButton>(this, "btnDelFilter", "btnDelFilter#15");
    btnAddFilter = makeControl<QPushButton>(this, "btnAddFilter", "btnAddFilter#14");
    lblMinSize = makeControl<QLabel>(this, "lblMinSize", "lblMinSize#16");
    tbxMinSize = makeControl<QLineEdit>(this, "tbxMinSize", "tbxMinSize");
    lblFileType = makeControl<QLabel>(this, "lblFileType", "lblFileType#17");
    tbxFileTypes = makeControl<QLineEdit>(this, "tbxFileTypes", "tbxFileTypes");
    lblMaxFiles = makeControl<QLabel>(this, "lblMaxFiles", "lblMaxFiles#22");
    tbxMaxFiles = makeControl<QLineEdit>(this, "tbxMaxFiles", "tbxMaxFiles");
    btnDelGroup = makeControl<QPushButton>(this, "btnDelGroup", "btnDelGroup#12");
    btnAddGroup = makeControl<QPushButton>(this, "btnAddGroup", "btnAddGroup#11");
    lblFilters->setBuddy(cboFilters);
    lblMinSize->setBuddy(tbxMinSize);
    lblFileType->setBuddy(tbxFileTypes);
    lblMaxFiles->setBuddy(tbxMaxFiles);
}

void NewsgroupsPage::connectHandlers() {
    connect(lstGroups, &QListWidget::itemSelectionChanged, this, [this] {
        if (!removing_)
            lstGroups_Click();
    });
    // The boxes' change handlers: every change counts, also the page's own writes, which
    // lstGroups_Click discounts afterwards.
    for (QLineEdit* box : {tbxMaxFiles, tbxMinSize, tbxFileTypes})
        connect(box, &QLineEdit::textChanged, this, [this] { edits_.mbGroupChanged = true; });
    connect(chkScanNews, &QCheckBox::toggled, this, [this] { imageEdited_(); });
    connect(btnAddGroup, &QPushButton::clicked, this, [this] { btnAddGroup_Click(); });
    connect(btnDelGroup, &QPushButton::clicked, this, [this] { btnDelGroup_Click(); });
    connect(btnAddFilter, &QPushButton::clicked, this, [this] { btnAddFilter_Click(); });
}

void NewsgroupsPage::Form_Load() {
    // Captioning empties the boxes, which counts as an edit of no entry: forget it.
    edits_ = options::GroupEdits();
}

void NewsgroupsPage::AddGroups() {
    newsgroups::clsNewsgroups* groups = host_.Newsgroups();
    if (!groups)
        return;
    QStringList names;
    names.reserve(groups->Count());
    for (const auto& group : *groups)
        names.append(pathToText(group->Name()));
    // All at once: a hundred thousand entries are one insert into the list, not as many.
    lstGroups->addItems(names);
    widenFor(names);
}

int NewsgroupsPage::addToList(const std::string& name) {
    const QString text = pathToText(name);
    lstGroups->addItem(text);
    widenFor({text});
    return lstGroups->count() - 1;
}

void NewsgroupsPage::widenFor(const QStringList& names) {
    const i18n::FormMetrics metrics = i18n::formMetrics(*window());
    const double perPixel = settings::twipsPerPixel(logicalDpiX());
    bool widened = false;
    for (const QString& text : names)
        widened |= edits_.widen(options::groupNameWidth(metrics.captionWidth(text), perPixel));
    if (widened)
        lstGroups->setHorizontalExtent(edits_.mlMaxGroupWidth);
}

void NewsgroupsPage::UpdateGroup() {
    if (!host_.Newsgroups() || !edits_.pendingEdit())
        return;
    if (const auto group = entryAt(edits_.mlGroupIndex)) {
        options::storeGroupFields({textToPath(tbxMinSize->text()), textToPath(tbxFileTypes->text()),
                                   textToPath(tbxMaxFiles->text())},
                                  *group);
    }
}

void NewsgroupsPage::lstGroups_Click() {
    if (!host_.Newsgroups())
        return;
    UpdateGroup();
    edits_.mlGroupIndex = selectedRow();
    cboFilters->clear();
    const auto group = entryAt(edits_.mlGroupIndex);
    const options::ShownGroup shown = group ? options::showGroup(*group) : options::ShownGroup();
    showFields(shown.fields);
    for (const std::string& filter : shown.filters)
        cboFilters->addItem(pathToText(filter));
    cboFilters->setCurrentIndex(cboFilters->count() > 0 ? 0 : -1);
    edits_.mbGroupChanged = false;
}

void NewsgroupsPage::showFields(const options::GroupFields& fields) {
    tbxMinSize->setText(pathToText(fields.minSize));
    tbxFileTypes->setText(pathToText(fields.fileTypes));
    tbxMaxFiles->setText(pathToText(fields.maxFiles));
}

void NewsgroupsPage::btnAddGroup_Click() {
    if (!host_.Newsgroups())
        return;
    const std::string name = ask(kGroupPrompt);
    const options::GroupNameCheck check = options::checkGroupName(name);
    if (check == options::GroupNameCheck::Accepted)
        addGroup(name);
    else if (check != options::GroupNameCheck::Empty)
        host_.boxes().showMessage(platform::kProgramTitle, options::refusal(check));
}

void NewsgroupsPage::addGroup(const std::string& name) {
    newsgroups::clsNewsgroups& groups = *host_.Newsgroups();
    // The collection holds a name once, letter case aside: the entry that has it is selected.
    if (const auto held = groups.Item(name)) {
        if (const int row = rowOf(*held); row >= 0)
            lstGroups->setCurrentRow(row);
        return;
    }
    try {
        groups.Add(name);
    } catch (const newsgroups::NewsgroupError& e) {
        host_.boxes().showMessage(platform::kProgramTitle, e.what());
        return;
    }
    lstGroups->setCurrentRow(addToList(name));
}

void NewsgroupsPage::btnDelGroup_Click() {
    newsgroups::clsNewsgroups* groups = host_.Newsgroups();
    const int row = selectedRow();
    if (!groups || row < 0)
        return;
    try {
        groups->Remove(textToPath(lstGroups->item(row)->text()));
    } catch (const newsgroups::NewsgroupError&) {
        // The collection no longer holds it: the list follows.
    }
    removeRow(row);
    // The boxes of a deleted entry belong to no entry: left filled, the next store would write
    // them into the entry that moved up into its row.
    if (edits_.rowRemoved(row)) {
        showFields({});
        cboFilters->clear();
    }
    edits_.mbGroupChanged = false;
}

void NewsgroupsPage::removeRow(int row) {
    const QScopedValueRollback removing(removing_, true);
    // With no current item, the view does not move the current row to a neighbour and select it.
    lstGroups->setCurrentItem(nullptr);
    delete lstGroups->takeItem(row);
}

void NewsgroupsPage::btnAddFilter_Click() {
    const auto group = host_.Newsgroups() ? entryAt(selectedRow()) : nullptr;
    if (!group)
        return;
    const std::string filter = ask(kFilterPrompt);
    if (filter.empty())
        return;
    const std::int32_t number = group->AddFilter(filter);
    cboFilters->addItem(pathToText(filter), number);
    cboFilters->setCurrentIndex(cboFilters->count() - 1);
}

std::shared_ptr<newsgroups::clsNewsgroup> NewsgroupsPage::entryAt(int row) const {
    newsgroups::clsNewsgroups* groups = host_.Newsgroups();
    const QListWidgetItem* item = row >= 0 ? lstGroups->item(row) : nullptr;
    if (!groups || !item)
        return nullptr;
    return groups->Item(textToPath(item->text()));
}

int NewsgroupsPage::selectedRow() const {
    const QList<QListWidgetItem*> selected = lstGroups->selectedItems();
    return selected.isEmpty() ? -1 : lstGroups->row(selected.first());
}

int NewsgroupsPage::rowOf(const newsgroups::clsNewsgroup& entry) const {
    for (int row = 0; row < lstGroups->count(); ++row) {
        if (entryAt(row).get() == &entry)
            return row;
    }
    return -1;
}

std::string NewsgroupsPage::ask(std::string_view prompt) {
    return host_.boxes().inputBox(platform::kProgramTitle, prompt);
}

}  // namespace muralto::ui

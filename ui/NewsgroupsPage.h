#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <memory>
#include <string>

#include "options/GroupEdits.h"
#include "ui/OptionsHost.h"

namespace muralto::ui {

/// A list that scrolls sideways over at least a given width, whatever its items need: the
/// width only grows, so removing the widest item leaves the scroll range as it was.
class GroupList : public QListWidget {
public:
    explicit GroupList(QWidget* parent);
    /// Lets the list scroll sideways over pixels (an extent below the current one is ignored).
    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return extent_; }

protected:
    void updateGeometries() override;

private:
    void keepExtent();
    int extent_ = 0;
};

/// The options window's newsgroups page: the program's newsgroup entries by name, the fields
/// and subject filters of the selected one, and buttons to add and delete entries and to add a
/// filter. Edits of the fields stay in the boxes until the next selection or the window's
/// unload; the rest changes the entries at once. With no entries loaded yet, nothing on the
/// page does anything. It works the same hidden, as the window keeps it.
class NewsgroupsPage : public QFrame {
public:
    /// The page with its controls at their designed places, texts as designed (captioned
    /// later with the window). imageEdited is the image page's edit step, which the scan box
    /// takes.
    NewsgroupsPage(QWidget& parent, OptionsHost& host, std::function<void()> imageEdited);

    /// The state as the window's load leaves it: nothing on show or edited, no name measured.
    void Form_Load();
    /// Lists the name of every entry; nothing is selected.
    void AddGroups();
    /// Stores the edited boxes into the entry on show.
    void UpdateGroup();

    /// The selection changed: the entry shown until now keeps its edits, the selected one is
    /// shown.
    void lstGroups_Click();
    void btnAddGroup_Click();
    /// Deletes the selected entry, its stored key with it, without asking.
    void btnDelGroup_Click();
    void btnAddFilter_Click();

    const options::GroupEdits& edits() const { return edits_; }

    QCheckBox* chkScanNews;
    GroupList* lstGroups;
    QLabel* lblFilters;
    QComboBox* cboFilters;
    QPushButton* btnDelFilter;
    QPushButton* btnAddFilter;
    QLabel* lblMinSize;
    QLineEdit* tbxMinSize;
    QLabel* lblFileType;
    QLineEdit* tbxFileTypes;
    QLabel* lblMaxFiles;
    QLineEdit* tbxMaxFiles;
    QPushButton* btnDelGroup;
    QPushButton* btnAddGroup;

private:
    void createControls();
    void connectHandlers();
    /// Adds a name to the list and lets the list scroll over it; its row.
    int addToList(const std::string& name);
    /// Lets the list scroll over the widest of names (measured in the window's font).
    void widenFor(const QStringList& names);
    void showFields(const options::GroupFields& fields);
    /// The entry named by the list item at row, or none.
    std::shared_ptr<newsgroups::clsNewsgroup> entryAt(int row) const;
    int selectedRow() const;
    /// The list row whose name the collection holds as entry; -1 for none.
    int rowOf(const newsgroups::clsNewsgroup& entry) const;
    /// Asks for one line of text with the program's title; empty when cancelled.
    std::string ask(std::string_view prompt);
    /// Adds a typed name that passed the check, or selects the entry that holds it already.
    void addGroup(const std::string& name);
    /// Takes the list item at row out without selecting another.
    void removeRow(int row);

    OptionsHost& host_;
    std::function<void()> imageEdited_;
    options::GroupEdits edits_;
    /// Set while the page takes an item out: the selection changes that brings are no clicks.
    bool removing_ = false;
};

}  // namespace muralto::ui

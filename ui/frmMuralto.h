#pragma once

#include <QFrame>
#include <QMenu>
#include <QTabBar>
#include <QWidget>
#include <string>

#include "i18n/StringTables.h"
#include "options/FormGeometry.h"
#include "options/ImageEdits.h"
#include "ui/ImagePage.h"
#include "ui/NewsgroupsPage.h"
#include "ui/OptionsHost.h"

namespace muralto::ui {

/// The options window: a tab strip whose tabs bring their pages forward, the edit state of the
/// image settings, and the question about unsaved edits when it closes. It also owns the
/// notification-area icon's popup menu and does what the icon's clicks ask. Closing it ends
/// the program.
class frmMuralto : public QWidget {
public:
    /// Makes and loads the window (Form_Load): centred in the upper screen, captioned from
    /// strings with the version, filled in for the run mode. It is not shown; its first resize
    /// or show brings the selected tab's page forward.
    frmMuralto(const i18n::StringTable& strings, OptionsHost& host,
               const std::string& programDirectory, options::VersionNumbers version);

    /// The icon asks for the window: shows it in its normal state (neither minimised nor
    /// maximised) and raises it. Nothing while the window is visible or unloaded.
    void showFromIcon();
    /// The icon asks for its menu: opens the popup menu at the mouse. Nothing while the window
    /// is visible or unloaded.
    void popupIconMenu();

    /// Minimised: hidden while the icon can bring it back. Otherwise the tab strip fits the
    /// window and the selected tab's page is fitted or brought forward.
    void Form_Resize();
    /// Brings the selected tab's page forward, or only fits it when it is already on show.
    void ShowSelectedTab();
    /// Whether the window may close: asks "Save Changes?" when the image settings were edited
    /// (wallpaper and options modes); Yes saves, Cancel keeps the window.
    bool Form_QueryUnload();
    /// Unloads the window without asking: pending newsgroup edits are kept and the program
    /// ends. Only the first call does anything.
    void unload();
    /// Closes the window as its close box does: asks, then unloads.
    void requestClose();
    bool unloaded() const { return unloaded_; }

    /// Lists the program's newsgroup entries on the newsgroups page (once, after they loaded).
    void AddGroups();
    /// Stores the newsgroups page's pending edits into the entry on show.
    void UpdateGroup();

    QMenu& mnuPopup() { return *mnuPopup_; }
    QTabBar& tsTabs() { return *tsTabs_; }
    ImagePage& imagePage() { return *imagePage_; }
    NewsgroupsPage& groupsPage() { return *groupsPage_; }
    /// The tab pages, from 1; null for an index without a page.
    QFrame* picTabPage(int index);
    options::ImageEdits& edits() { return edits_; }

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTabs();
    void buildPopup();
    void Form_Load(const i18n::StringTable& strings, const options::VersionNumbers& version);
    void centre();
    /// The designed size, grown where the image page would be smaller than designed.
    void sizeForDesignedPage();
    /// Fits the tab strip (its tabs and the pane under them) 150 twips inside the window.
    void placeTabStrip();
    void removeTab(const QString& key);
    void selectTab(const QString& key);
    /// The strip's client area, inside its tabs and border, in the window's twips.
    options::TwipRect stripClientArea() const;
    void fitPage(QFrame& page);

    OptionsHost& host_;
    options::ImageEdits edits_;
    QTabBar* tsTabs_ = nullptr;
    QFrame* tabPane_ = nullptr;
    ImagePage* imagePage_ = nullptr;
    NewsgroupsPage* groupsPage_ = nullptr;
    QMenu* mnuPopup_ = nullptr;
    /// ShowSelectedTab's memory: the key and index (from 1) of the tab on show, and its page.
    struct {
        QString key;
        int index = 0;
        int page = 0;
    } shown_;
    bool loaded_ = false;
    bool unloaded_ = false;
};

}  // namespace muralto::ui

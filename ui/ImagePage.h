#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>

#include "options/ImageEdits.h"
#include "options/ImagePageLayout.h"
#include "ui/DirectoryControls.h"
#include "ui/OptionsHost.h"

namespace muralto::ui {

/// The options window's image page: the same controls show the wallpaper settings or the
/// screen-saver settings, and the edits go to the window's edit copies. The page itself is the
/// window's first tab page.
class ImagePage : public QFrame {
public:
    /// What the page needs of the window around it.
    struct Frame {
        /// The selected tab's index, from 1: the scale-factor row follows it.
        std::function<std::int32_t()> selectedTab;
        /// Closes the window the way the close box does ("&Ok" in the options mode).
        std::function<void()> close;
    };

    /// The page with its controls at their designed places, texts as designed (captioned
    /// later with the window). Its directory lists start on programDirectory.
    ImagePage(QWidget& parent, OptionsHost& host, options::ImageEdits& edits,
              const std::string& programDirectory, Frame frame);

    /// Shows the wallpaper settings (the edited copy once it holds edits).
    void FillInDesktop();
    /// Shows the screen-saver settings; the startup-only box and the update button go away.
    void FillInSaver();
    /// Reads the page into the edit copy of the settings on show.
    void MemorizeImageSettings();
    /// A control changed: the edit mark and the save button's state.
    void markChanged();
    /// Saves the way the save button does, without closing: the page into its copy, every copy
    /// with edits into the program's settings, the settings written; nothing is edited then.
    void save();

    void btnSave_Click();
    void btnUpdate_Click();
    /// Enter in the path box: an absolute path goes to the lists (falling back to the current
    /// directory of the drive); the key is swallowed whatever the text.
    void tbxPath_KeyPress();
    void tbxPath_GotFocus();
    void tbxPath_LostFocus();
    /// Makes button the one Enter presses.
    void setDefaultButton(QPushButton* button);

    /// The path box's text in the system's bytes, and setting it from them.
    std::string pathText() const;
    void setPathText(const std::string& bytes);

    /// The controls' places in twips, and placing them.
    options::ImagePageControls controlPlaces() const;
    void placeControls(const options::ImagePageControls& places);

    QLineEdit* tbxPath;
    DirListBox* Dir1;
    DriveListBox* Drive1;
    QCheckBox* chkReScan;
    QCheckBox* chkAddPath;
    QCheckBox* chkStartupOnly;
    QLabel* lblScaleFactor;
    QLineEdit* tbxScaleFactor;
    QLabel* lblDelay;
    QLineEdit* tbxDelay;
    QPushButton* btnUpdate;
    QPushButton* btnSave;

protected:
    /// picTabPage_Resize for the image page: lays the page out for its new size.
    void resizeEvent(QResizeEvent* event) override;
    /// Enter anywhere on the page presses the default button.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls(const std::string& programDirectory);
    void connectHandlers();
    void setTabOrder();
    void fillIn(bool saver);
    void Dir1_Change();
    void Drive1_Change();

    OptionsHost& host_;
    options::ImageEdits& edits_;
    Frame frame_;
    bool restoringDrive_ = false;
};

}  // namespace muralto::ui

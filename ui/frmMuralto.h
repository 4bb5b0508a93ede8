#pragma once

#include <QMenu>
#include <QWidget>
#include <functional>

#include "StringTables.h"

namespace muralto::ui {

/// The options window. It also owns the notification-area icon's popup menu and receives the
/// icon's mouse messages. Closing it ends the program.
class frmMuralto : public QWidget {
public:
    /// The mouse messages the icon delivers.
    static constexpr int kIconDoubleClick = 0x0203;
    static constexpr int kIconRightButtonUp = 0x0205;

    struct Actions {
        std::function<void()> updateNow;  ///< mnuUpdate
        std::function<void()> exit;       ///< mnuExit and the window's unload
        std::function<bool()> trayIconShown;
    };

    frmMuralto(const i18n::StringTable& strings, Actions actions);

    /// An icon event: ignored while the window is visible; a double click shows the window in
    /// its normal state (neither minimised nor maximised) and raises it, a released right
    /// button opens the popup menu at the mouse.
    void iconMessage(int message);

    QMenu& mnuPopup() { return mnuPopup_; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPopup(const i18n::StringTable& strings);
    void Form_Resize();

    Actions actions_;
    QMenu mnuPopup_;
};

}  // namespace muralto::ui

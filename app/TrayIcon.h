#pragma once

#include <QIcon>
#include <QSystemTrayIcon>

#include "ui/frmMuralto.h"

namespace muralto::app {

/// The notification-area icon. A double click (or a plain click, which is all a StatusNotifier
/// host sends) brings the options window back, the context click opens the popup menu.
class TrayIcon {
public:
    TrayIcon(ui::frmMuralto& form, const QIcon& icon);

    /// Shows the icon, its tooltip the window's caption cut to 64 characters. Where a
    /// StatusNotifier host draws the icon, the menu goes with it, since such hosts only show
    /// menus they are handed.
    void add();
    void remove();
    /// Shows text as a warning balloon from the icon; nothing while the icon is not shown.
    void notify(const QString& text);
    /// Whether the icon is up in a tray that exists now.
    bool shown() const { return icon_.isVisible() && QSystemTrayIcon::isSystemTrayAvailable(); }
    /// What a click of the given kind on the icon does; other kinds do nothing.
    void activated(QSystemTrayIcon::ActivationReason reason);

private:
    ui::frmMuralto& form_;
    QSystemTrayIcon icon_;
};

/// The program's icon at every size it comes in, from the pictures compiled into the program
/// (the same that the installed icon theme holds).
QIcon programIcon();

}  // namespace muralto::app

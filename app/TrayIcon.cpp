#include "app/TrayIcon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDirIterator>
#include <QImageReader>
#include <QPixmap>

namespace muralto::app {
namespace {

bool statusNotifierHostRuns() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered("org.kde.StatusNotifierWatcher").value();
}

}  // namespace

// Each picture is read as the PNG it is: a file left to Qt to recognise makes it load every
// image plugin it has first, which costs the start tens of milliseconds.
QIcon programIcon() {
    QIcon icon;
    QDirIterator pictures(":/icons", {"*.png"}, QDir::Files, QDirIterator::Subdirectories);
    while (pictures.hasNext()) {
        QImageReader reader(pictures.next(), "png");
        reader.setAutoDetectImageFormat(false);
        if (const QImage image = reader.read(); !image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

TrayIcon::TrayIcon(ui::frmMuralto& form, const QIcon& icon) : form_(form), icon_(icon) {
    QObject::connect(&icon_, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason r) { activated(r); });
}

void TrayIcon::add() {
    icon_.setToolTip(form_.windowTitle().left(64));
    if (statusNotifierHostRuns())
        icon_.setContextMenu(&form_.mnuPopup());
    icon_.show();
}

void TrayIcon::remove() {
    icon_.hide();
}

void TrayIcon::notify(const QString& text) {
    if (shown())
        icon_.showMessage(form_.windowTitle(), text, QSystemTrayIcon::Warning);
}

void TrayIcon::activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
        case QSystemTrayIcon::Trigger:
            form_.showFromIcon();
            break;
        case QSystemTrayIcon::Context:
            form_.popupIconMenu();
            break;
        default:
            break;
    }
}

}  // namespace muralto::app

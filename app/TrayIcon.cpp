#include "TrayIcon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QPainter>
#include <QPainterPath>

namespace muralto::app {
namespace {

bool statusNotifierHostRuns() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered("org.kde.StatusNotifierWatcher").value();
}

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(size * 0.06, size * 0.14, size * 0.88, size * 0.72);
    p.setPen(QPen(QColor(60, 40, 20), size / 16.0));
    p.setBrush(QColor(110, 170, 230));
    p.drawRect(frame);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 210, 60));
    p.drawEllipse(QPointF(size * 0.7, size * 0.35), size * 0.09, size * 0.09);
    QPainterPath hills;
    hills.moveTo(frame.bottomLeft());
    hills.lineTo(size * 0.35, size * 0.45);
    hills.lineTo(size * 0.55, size * 0.65);
    hills.lineTo(size * 0.7, size * 0.52);
    hills.lineTo(frame.bottomRight());
    hills.closeSubpath();
    p.setBrush(QColor(60, 140, 70));
    p.drawPath(hills);
    return pixmap;
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(drawIcon(size));
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
            form_.iconMessage(ui::frmMuralto::kIconDoubleClick);
            break;
        case QSystemTrayIcon::Context:
            form_.iconMessage(ui::frmMuralto::kIconRightButtonUp);
            break;
        default:
            break;
    }
}

}  // namespace muralto::app

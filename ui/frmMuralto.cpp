#include "frmMuralto.h"

#include <QCloseEvent>
#include <QCursor>
#include <QTimer>

namespace muralto::ui {
namespace {

QString caption(const i18n::StringTable& strings, int id) {
    return QString::fromStdString(strings.LoadResString(id).value_or(""));
}

}  // namespace

frmMuralto::frmMuralto(const i18n::StringTable& strings, Actions actions)
    : actions_(std::move(actions)) {
    setObjectName("frmMuralto");
    setWindowTitle(caption(strings, 1));
    resize(480, 360);
    buildPopup(strings);
}

void frmMuralto::buildPopup(const i18n::StringTable& strings) {
    mnuPopup_.setObjectName("mnuPopup");
    QAction* update = mnuPopup_.addAction(caption(strings, 19));
    update->setObjectName("mnuUpdate");
    mnuPopup_.addSeparator()->setObjectName("mnuPopupSep1");
    QAction* exit = mnuPopup_.addAction(caption(strings, 20));
    exit->setObjectName("mnuExit");
    mnuPopup_.addSeparator()->setObjectName("mnuPopupSep2");
    mnuPopup_.addAction(caption(strings, 21))->setObjectName("mnuCancel");  // only closes
    QObject::connect(update, &QAction::triggered, [this] { actions_.updateNow(); });
    QObject::connect(exit, &QAction::triggered, [this] { actions_.exit(); });
}

void frmMuralto::iconMessage(int message) {
    if (isVisible())
        return;
    if (message == kIconDoubleClick) {
        // Back in the normal state: a window maximised before it went to the tray would
        // otherwise come back maximised.
        showNormal();
        raise();
        activateWindow();
    } else if (message == kIconRightButtonUp) {
        mnuPopup_.popup(QCursor::pos());
    }
}

void frmMuralto::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMuralto::Form_Resize() {
    // Minimised, the window goes to the notification area: the icon brings it back. Without
    // an icon it stays on the task bar, the only way back to it.
    if ((windowState() & Qt::WindowMinimized) && actions_.trayIconShown()) {
        QTimer::singleShot(0, this, [this] { hide(); });
    }
}

void frmMuralto::closeEvent(QCloseEvent* event) {
    event->accept();
    actions_.exit();
}

}  // namespace muralto::ui

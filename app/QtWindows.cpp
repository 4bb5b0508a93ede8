#include "QtWindows.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace muralto::app {

QtWindows::QtWindows(Program& program, const i18n::StringTable& strings) {
    ui::frmMuralto::Actions actions;
    actions.updateNow = [&program] { program.UpdateImage(); };
    actions.exit = [&program] { program.EndProgram(); };
    actions.trayIconShown = [this] { return tray_ && tray_->shown(); };
    form_ = std::make_unique<ui::frmMuralto>(strings, std::move(actions));
    form_->setWindowIcon(programIcon());
    tray_ = std::make_unique<TrayIcon>(*form_, programIcon());
}

imaging::CharMetrics QtWindows::measureCanvasFont() {
    return imaging::measureCharMetrics(imaging::canvasFont());
}

void QtWindows::restoreOptionsWindowIfMinimised() {
    if (form_->windowState() & Qt::WindowMinimized)
        form_->showNormal();  // not maximised either, whatever it was before
}

QSize QtWindows::screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return screen->geometry().size() * screen->devicePixelRatio();
}

void QtWindows::endProcess() {
    QCoreApplication::exit(0);
}

bool WallpaperOutput::showWallpaper(const std::string& bitmapPath, std::int32_t scaleFactor,
                                    std::string* error) {
    return setter_->setWallpaper(bitmapPath, platform::placementForScaleFactor(scaleFactor), error);
}

}  // namespace muralto::app

#include "app/QtWindows.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <utility>

#include "settings/WindowPlacement.h"
#include "ui/QtPlacedWindow.h"

namespace muralto::app {

QtWindows::QtWindows(Program& program, const i18n::StringTable& strings,
                     platform::MessageBoxes& boxes, platform::Registry& registry,
                     std::string programDirectory, options::VersionNumbers version)
    : program_(program),
      strings_(strings),
      programDirectory_(std::move(programDirectory)),
      version_(version),
      host_(program, boxes, [this] { return tray_ && tray_->shown(); }),
      placementTools_(registry, boxes) {}

ui::frmMuralto& QtWindows::options() {
    if (!form_) {
        form_ = std::make_unique<ui::frmMuralto>(strings_, host_, programDirectory_, version_);
        tray_ = std::make_unique<TrayIcon>(*form_, programIcon());
        if (std::exchange(groupsWaiting_, false))
            form_->AddGroups();
    }
    return *form_;
}

void QtWindows::addGroups() {
    if (form_)
        form_->AddGroups();
    else
        groupsWaiting_ = true;
}

TrayIcon& QtWindows::tray() {
    options();
    return *tray_;
}

frmImage& QtWindows::image() {
    if (!image_)
        image_ = std::make_unique<frmImage>(program_);
    return *image_;
}

std::uint32_t QtWindows::imageWindowId() {
    return static_cast<std::uint32_t>(image().winId());
}

QSize QtWindows::imageWindowSize() {
    const frmImage& window = image();
    return (QSizeF(window.size()) * window.devicePixelRatioF()).toSize();
}

void QtWindows::unloadImageWindow() {
    if (image_)
        image_->close();
}

void QtWindows::showCursor(bool show) {
    cursor_.ShowCursor(show);
    image().setCursorHidden(cursor_.hidden());
}

// The options window is sizable: its pages follow its size.
void QtWindows::restoreOptionsWindowPlacement() {
    ui::QtPlacedWindow window(options(), /*sizable=*/true);
    settings::RestoreWindowPlacement(window, placementTools_);
}

void QtWindows::saveOptionsWindowPlacement() {
    if (!form_)
        return;
    ui::QtPlacedWindow window(*form_, /*sizable=*/true);
    settings::SaveWindowPlacement(window, placementTools_);
}

void QtWindows::notify(const std::string& text) {
    if (tray_)
        tray_->notify(QString::fromStdString(text));
}

void QtWindows::removeTrayIcon() {
    if (tray_)
        tray_->remove();
}

void QtWindows::unloadOptionsWindow() {
    if (form_)
        form_->unload();
}

imaging::CharMetrics QtWindows::measureCanvasFont() {
    return imaging::measureCharMetrics(imaging::canvasFont());
}

void QtWindows::restoreOptionsWindowIfMinimised() {
    if (options().windowState() & Qt::WindowMinimized)
        form_->showNormal();  // not maximised either, whatever it was before
}

QSize QtWindows::screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return screen->geometry().size() * screen->devicePixelRatio();
}

void QtWindows::endProcess() {
    // Leaves the event loops running now; the queued call ends the main loop too when the end
    // comes before it runs (a signal handled while a start-up question box is shown).
    QCoreApplication::exit(0);
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

void SaverFrameOutput::showWallpaper(const std::string&, std::int32_t, QSize, WallpaperDone done) {
    done({false, "the screen saver does not change the wallpaper", {}});
}

void SaverFrameOutput::showFrame(const imaging::SaverFrame& frame) {
    windows_.image().showFrame(frame);
}

void WallpaperOutput::showWallpaper(const std::string& bitmapPath, std::int32_t scaleFactor,
                                    QSize screen, WallpaperDone done) {
    worker_.start({bitmapPath, platform::placementForScaleFactor(scaleFactor), screen},
                  [done = std::move(done)](const platform::WallpaperOutcome& outcome) {
                      done({outcome.shown, outcome.error, outcome.notice});
                  });
}

}  // namespace muralto::app

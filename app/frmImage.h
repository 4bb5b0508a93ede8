#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/ProgramHost.h"

class QWindow;

namespace muralto::imaging {
struct SaverFrame;
}

namespace muralto::app {

/// The picture box of the image window: shows one picture at its own size and reports mouse
/// movements over it, in its own pixels.
class PictureBox : public QWidget {
public:
    explicit PictureBox(QWidget* parent);

    void setPicture(QImage picture);
    const QImage& picture() const { return picture_; }
    std::function<void(QPointF)> onMouseMove;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};

/// The image window: the screen saver's face, full screen or inside another program's window,
/// on a black background with the picture box that shows the frames. It reports mouse
/// movements and its own end to the running program; keys and clicks do nothing.
class frmImage : public QWidget {
public:
    explicit frmImage(ImageWindowHost& host);
    ~frmImage() override;

    /// Clears the caption; the window is frameless wherever it is shown.
    void Form_Load();
    /// A movement over the window, in its pixels.
    void Form_MouseMove(QPointF position);
    /// A movement over the picture box, in the box's pixels: the saver judges it where it lies
    /// in the window. Only the "/s" saver listens.
    void picStorage_MouseMove(QPointF position);

    /// Frameless over the whole primary screen, above every other window; the window manager
    /// is bypassed, so panels and docks stay below, and nothing is grabbed.
    void showFullScreen();
    /// Becomes a child of the foreign window host, at its top-left corner with the given size.
    void showInside(std::uint32_t host, QSize size);
    /// Puts the frame's picture at the frame's position.
    void showFrame(const imaging::SaverFrame& frame);
    /// Blank while hidden is true, the ordinary arrow otherwise.
    void setCursorHidden(bool hidden);

    PictureBox* picStorage;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ImageWindowHost& host_;
    /// The foreign window we are shown inside; it must outlive our native window.
    std::unique_ptr<QWindow> hostWindow_;
};

}  // namespace muralto::app

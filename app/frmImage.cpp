#include "app/frmImage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "app/CommandLine.h"
#include "imaging/SaverFrame.h"

namespace muralto::app {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);  // movements without a button count too
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

// The picture is opaque and the box takes its size, so black is drawn only where a rounding of
// the device pixel ratio leaves a strip: a full-screen frame is one pass over the window, not
// three (the window's background, the box's, the picture).
void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!QRectF(QPointF(0, 0), picture_.deviceIndependentSize()).contains(QRectF(rect())))
        painter.fillRect(rect(), Qt::black);
    painter.drawImage(QPoint(0, 0), picture_);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove)
        onMouseMove(event->position());
}

frmImage::frmImage(ImageWindowHost& host)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), host_(host) {
    setObjectName("frmImage");
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setMouseTracking(true);
    picStorage = new PictureBox(this);
    picStorage->setObjectName("picStorage");
    picStorage->onMouseMove = [this](QPointF p) { picStorage_MouseMove(p); };
    picStorage->hide();
    Form_Load();
}

frmImage::~frmImage() {
    // Our native window is a child of the foreign one: let go of it before it is deleted.
    if (hostWindow_ && windowHandle())
        windowHandle()->setParent(nullptr);
}

void frmImage::Form_Load() {
    setWindowTitle(QString());
    setWindowFlag(Qt::FramelessWindowHint);
}

void frmImage::Form_MouseMove(QPointF position) {
    host_.Form_MouseMove(position.x(), position.y());
}

void frmImage::picStorage_MouseMove(QPointF position) {
    if (host_.runMode() == settings::RunMode::Saver)
        Form_MouseMove(position + QPointF(picStorage->pos()));
}

void frmImage::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove(event->position());
}

void frmImage::closeEvent(QCloseEvent* event) {
    event->accept();
    host_.Form_Unload();
}

void frmImage::showFullScreen() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    picStorage->show();
    show();
    raise();
}

// The flags stay as they are: changing them would make a new native window, while the id of
// this one may already be known to others.
void frmImage::showInside(std::uint32_t host, QSize size) {
    winId();
    hostWindow_.reset(QWindow::fromWinId(host));
    windowHandle()->setParent(hostWindow_.get());
    setGeometry(QRect(QPoint(0, 0), size / devicePixelRatioF()));
    picStorage->show();
    show();
}

void frmImage::showFrame(const imaging::SaverFrame& frame) {
    const qreal ratio = devicePixelRatioF();
    QImage picture = frame.picture;
    picture.setDevicePixelRatio(ratio);
    picStorage->setGeometry(QRect(frame.position / ratio, picture.size() / ratio));
    picStorage->setPicture(std::move(picture));
    picStorage->show();
}

void frmImage::setCursorHidden(bool hidden) {
    if (hidden) {
        setCursor(Qt::BlankCursor);
    } else {
        unsetCursor();
    }
}

}  // namespace muralto::app

// Renders the program's scalable icon at the fixed sizes that icon themes and the program's own
// resources hold, so that the pictures always match the drawing.
//
// Usage: make_icons ICON.svg OUTPUT_FOLDER SIZE...
// writes OUTPUT_FOLDER/<SIZE>x<SIZE>/apps/<name of ICON>.png for every SIZE.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "make_icons: %s\n", qPrintable(message));
    return 1;
}

/// The drawing on a transparent square of size pixels; a null image when nothing was drawn.
QImage render(QSvgRenderer& renderer, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return fail("usage: make_icons ICON.svg OUTPUT_FOLDER SIZE...");
    const QString source = QString::fromLocal8Bit(argv[1]);
    QSvgRenderer renderer(source);
    if (!renderer.isValid())
        return fail("cannot read the drawing " + source);
    const QString name = QFileInfo(source).completeBaseName();
    const QDir output(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > 4096)
            return fail(QString("not a size in pixels: ") + argv[i]);
        const QString folder = QString("%1x%1/apps").arg(size);
        const QImage image = render(renderer, size);
        if (image.isNull() || !output.mkpath(folder))
            return fail("cannot make " + output.filePath(folder));
        const QString file = output.filePath(folder + "/" + name + ".png");
        if (!image.save(file, "PNG"))
            return fail("cannot write " + file);
    }
    return 0;
}

#include "platform/gui/WallpaperPlasma.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdio>

#include "platform/gui/BitmapCopies.h"
#include "platform/gui/DesktopTextFormats.h"
#include "platform/gui/WallpaperX11.h"

namespace muralto::platform {

namespace {

/// Text as a JavaScript string literal in double quotes.
std::string scriptString(const std::string& text) {
    std::string quoted = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

std::string wallpaperScript(const std::string& uri, int fillMode) {
    return "var all = desktops();\n"
           "for (var i = 0; i < all.length; i++) {\n"
           "    var d = all[i];\n"
           "    d.wallpaperPlugin = \"org.kde.image\";\n"
           "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
           "    d.writeConfig(\"Image\", " +
           scriptString(uri) +
           ");\n"
           "    d.writeConfig(\"FillMode\", " +
           std::to_string(fillMode) +
           ");\n"
           "    d.writeConfig(\"Color\", \"#000000\");\n"
           "}\n";
}

}  // namespace

Result<> DBusPlasmaShell::evaluateScript(const std::string& script) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Failure{"no D-Bus session bus: " + bus.lastError().message().toStdString()};
    QDBusMessage call = QDBusMessage::createMethodCall("org.kde.plasmashell", "/PlasmaShell",
                                                       "org.kde.PlasmaShell", "evaluateScript");
    call << QString::fromStdString(script);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return Failure{"the Plasma shell refused the wallpaper script: " +
                       reply.errorMessage().toStdString()};
    }
    return {};
}

Result<> writeTiledScreen(const std::string& path, QSize screen) {
    const QImage tile = readImage(path);
    if (tile.isNull())
        return Failure{"cannot read the bitmap " + path};
    const QImage tiled = composeScreen(tile, screen, QRect(QPoint(0, 0), screen), Placement::Tiled);
    if (!writeBmp(tiled, path))
        return Failure{"cannot write the tiled screen to " + path};
    return {};
}

Result<> PlasmaWallpaperSetter::show(const std::string& path, const WallpaperJob& job) {
    // Plasma centres its tiling; the tiles are laid from the top-left corner here instead, into
    // one bitmap of the screen's size that Plasma shows centred, so it fills the screen exactly.
    const bool tileHere = job.placement == Placement::Tiled && !job.screen.isEmpty();
    if (tileHere) {
        if (Result<> tiled = writeTiledScreen(path, job.screen); !tiled)
            return tiled;
    }
    const int fillMode =
        job.placement == Placement::Tiled && !tileHere ? kFillModeTiled : kFillModeCentred;
    return shell_->evaluateScript(wallpaperScript(fileUri(path), fillMode));
}

}  // namespace muralto::platform

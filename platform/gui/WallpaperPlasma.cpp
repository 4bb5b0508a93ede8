#include "WallpaperPlasma.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QString>

#include <cstdio>

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

bool DBusPlasmaShell::evaluateScript(const std::string& script, std::string* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        reportError(error, "no D-Bus session bus: " + bus.lastError().message().toStdString());
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall("org.kde.plasmashell", "/PlasmaShell",
                                                       "org.kde.PlasmaShell", "evaluateScript");
    call << QString::fromUtf8(script.data(), static_cast<qsizetype>(script.size()));
    const QDBusMessage reply = bus.call(call, QDBus::Block, 15000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        reportError(error, "the Plasma shell refused the wallpaper script: " +
                               reply.errorMessage().toStdString());
        return false;
    }
    return true;
}

bool PlasmaWallpaperSetter::show(const std::string& path, Placement placement, std::string* error) {
    const int fillMode = placement == Placement::Tiled ? kFillModeTiled : kFillModeCentred;
    return shell_->evaluateScript(wallpaperScript(fileUri(path), fillMode), error);
}

}  // namespace muralto::platform

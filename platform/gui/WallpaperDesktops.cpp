#include "WallpaperDesktops.h"

#include <set>
#include <sstream>

namespace muralto::platform {

namespace {

const char kXfconf[] = "xfconf-query";
const char kXfceChannel[] = "xfce4-desktop";

/// The folders ".../workspace<n>" that hold backdrop properties, from xfconf-query's listing.
std::set<std::string> xfceWorkspaces(const std::string& listing) {
    std::set<std::string> folders;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("/backdrop/", 0) != 0)
            continue;
        const auto slash = line.rfind('/');
        const std::string folder = line.substr(0, slash);
        const auto lastPart = folder.substr(folder.rfind('/') + 1);
        if (lastPart.rfind("workspace", 0) == 0)
            folders.insert(folder);
    }
    return folders;
}

std::string gvariant(const std::string& text) {
    return quotedString(text, '\'');
}

bool setXfconf(ProcessRunner& runner, const std::string& property, const std::string& type,
               const std::string& value, std::string* error) {
    return runTool(runner, kXfconf,
                   {"-c", kXfceChannel, "-p", property, "-n", "-t", type, "-s", value}, error);
}

}  // namespace

bool FreshCopyWallpaperSetter::setWallpaper(const std::string& bitmapPath, Placement placement,
                                            std::string* error) {
    const auto copy = makeFreshCopy(bitmapPath, error);
    return copy && show(*copy, placement, error);
}

GsettingsDesktop GsettingsDesktop::gnome() {
    return {"gnome", "org.gnome.desktop.background", "picture-uri", true, "picture-uri-dark"};
}

GsettingsDesktop GsettingsDesktop::cinnamon() {
    return {"cinnamon", "org.cinnamon.desktop.background", "picture-uri", true, ""};
}

GsettingsDesktop GsettingsDesktop::mate() {
    return {"mate", "org.mate.background", "picture-filename", false, ""};
}

bool GsettingsWallpaperSetter::set(const std::string& key, const std::string& value,
                                   std::string* error) {
    return runTool(runner(), "gsettings", {"set", desktop_.schema, key, value}, error);
}

bool GsettingsWallpaperSetter::show(const std::string& path, Placement placement,
                                    std::string* error) {
    const std::string options = placement == Placement::Tiled ? "wallpaper" : "centered";
    const std::string picture = gvariant(desktop_.pictureIsUri ? fileUri(path) : path);
    // The picture goes last, so the desktop redraws once with the right options and colour.
    if (!set("picture-options", gvariant(options), error) ||
        !set("primary-color", gvariant("#000000"), error) ||
        !set("color-shading-type", gvariant("solid"), error) ||
        !set(desktop_.pictureKey, picture, error)) {
        return false;
    }
    if (!desktop_.optionalUriKey.empty()) {
        set(desktop_.optionalUriKey, gvariant(fileUri(path)), nullptr);
    }
    return true;
}

bool XfceWallpaperSetter::show(const std::string& path, Placement placement, std::string* error) {
    std::string listing;
    if (!runTool(runner(), kXfconf, {"-c", kXfceChannel, "-l"}, error, &listing))
        return false;
    const auto workspaces = xfceWorkspaces(listing);
    if (workspaces.empty()) {
        reportError(error, "xfconf-query lists no backdrop workspace in xfce4-desktop");
        return false;
    }
    const std::string style = placement == Placement::Tiled ? "2" : "1";
    for (const auto& workspace : workspaces) {
        if (!setXfconf(runner(), workspace + "/image-style", "int", style, error) ||
            !setXfconf(runner(), workspace + "/last-image", "string", path, error)) {
            return false;
        }
    }
    return true;
}

bool PcmanfmWallpaperSetter::show(const std::string& path, Placement placement,
                                  std::string* error) {
    const std::string mode = placement == Placement::Tiled ? "tile" : "center";
    return runTool(runner(), program_, {"--set-wallpaper", path, "--wallpaper-mode", mode}, error);
}

bool SwayWallpaperSetter::show(const std::string& path, Placement placement, std::string* error) {
    const std::string mode = placement == Placement::Tiled ? "tile" : "center";
    return runTool(runner(), "swaymsg",
                   {"output", "*", "bg", quotedString(path, '"'), mode, "#000000"}, error);
}

}  // namespace muralto::platform

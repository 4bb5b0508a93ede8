#include "platform/gui/WallpaperDesktops.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "platform/FileIo.h"
#include "platform/gui/BitmapCopies.h"
#include "platform/gui/DesktopTextFormats.h"

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

Result<> setXfconf(ProcessRunner& runner, const std::string& property, const std::string& type,
                   const std::string& value) {
    return runTool(runner, kXfconf,
                   {"-c", kXfceChannel, "-p", property, "-n", "-t", type, "-s", value});
}

/// Sets the colour property to opaque black: an array of four doubles (red, green, blue, alpha).
Result<> setXfconfBlack(ProcessRunner& runner, const std::string& property) {
    std::vector<std::string> arguments{"-c", kXfceChannel, "-p", property, "-n"};
    for (int i = 0; i < 4; ++i)
        arguments.insert(arguments.end(), {"-t", "double"});
    for (const char* value : {"0", "0", "0", "1"})
        arguments.insert(arguments.end(), {"-s", value});
    return runTool(runner, kXfconf, arguments);
}

/// Sets one workspace's backdrop: a solid black colour, the image style, then the picture.
Result<> setBackdrop(ProcessRunner& runner, const std::string& workspace, const std::string& style,
                     const std::string& path) {
    Result<> done = setXfconf(runner, workspace + "/color-style", "int", "0");
    if (done)
        done = setXfconfBlack(runner, workspace + "/rgba1");
    if (done)
        done = setXfconf(runner, workspace + "/image-style", "int", style);
    if (done)
        done = setXfconf(runner, workspace + "/last-image", "string", path);
    return done;
}

/// Whether the property reads back as value.
Result<> xfconfHolds(ProcessRunner& runner, const std::string& property, const std::string& value) {
    const auto read = runTool(runner, kXfconf, {"-c", kXfceChannel, "-p", property});
    if (!read)
        return read;
    std::string output = *read;
    if (!output.empty() && output.back() == '\n')
        output.pop_back();
    if (output == value)
        return {};
    return Failure{"xfconf-query reported success, but " + property +
                   " does not hold the new picture"};
}

/// The profile named on a command line: "--profile X", "--profile=X", "-p X" or "-pX".
std::string profileArgument(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesNext = argument == "--profile" || argument == "-p";
        if (takesNext && i + 1 < arguments.size())
            return arguments[i + 1];
        if (argument.rfind("--profile=", 0) == 0)
            return argument.substr(10);
        if (argument.size() > 2 && argument.rfind("-p", 0) == 0)
            return argument.substr(2);
    }
    return "default";
}

bool isProgram(const std::string& argument, const std::string& program) {
    return std::filesystem::path(argument).filename() == program;
}

/// The files of a profile folder whose names start with prefix and end with ".conf"; the
/// first file of that kind (prefix "-0" for a numbered series) when there is none yet.
std::vector<std::filesystem::path> settingsFiles(const std::filesystem::path& folder,
                                                 const std::string& prefix) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.size() > 5 &&
            name.compare(name.size() - 5, 5, ".conf") == 0)
            files.push_back(it->path());
    }
    if (files.empty())
        files.push_back(folder / (prefix + (prefix.back() == '-' ? "0.conf" : ".conf")));
    return files;
}

std::string readText(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), {}};
}

/// sway's error from its JSON answer, or empty when every command succeeded.
std::string swayError(const std::string& output) {
    const QJsonDocument answer =
        QJsonDocument::fromJson(QByteArray(output.data(), static_cast<qsizetype>(output.size())));
    if (!answer.isArray())
        return "swaymsg gave no answer from sway";
    for (const auto& entry : answer.array()) {
        const QJsonObject command = entry.toObject();
        if (!command.value("success").toBool()) {
            const std::string reason = command.value("error").toString().toStdString();
            return "sway refused the wallpaper: " + (reason.empty() ? "no reason given" : reason);
        }
    }
    return {};
}

bool isShellSafe(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c >= 0x80 ||
           std::string_view("/._-+,:@%").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

Result<> FreshCopyWallpaperSetter::setWallpaper(const WallpaperJob& job) {
    const auto copy = makeFreshCopy(job.bitmapPath);
    if (!copy)
        return copy;
    return show(*copy, job);
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

Result<> GsettingsWallpaperSetter::set(const std::string& key, const std::string& value) {
    return runTool(runner(), "gsettings", {"set", desktop_.schema, key, value});
}

Result<> GsettingsWallpaperSetter::show(const std::string& path, const WallpaperJob& job) {
    const std::string options = job.placement == Placement::Tiled ? "wallpaper" : "centered";
    const std::string value = desktop_.pictureIsUri ? fileUri(path) : path;
    // The picture goes last, so the desktop redraws once with the right options and colour.
    Result<> done = set("picture-options", gvariant(options));
    if (done)
        done = set("primary-color", gvariant("#000000"));
    if (done)
        done = set("color-shading-type", gvariant("solid"));
    if (done)
        done = set(desktop_.pictureKey, gvariant(value));
    if (!done)
        return done;
    if (!desktop_.optionalUriKey.empty())
        (void)set(desktop_.optionalUriKey, gvariant(fileUri(path)));  // older versions lack it
    return holds(desktop_.pictureKey, value);
}

Result<> GsettingsWallpaperSetter::holds(const std::string& key, const std::string& value) {
    const auto output = runTool(runner(), "gsettings", {"get", desktop_.schema, key});
    if (!output)
        return output;
    if (parseGVariantString(*output) == value)
        return {};
    return Failure{"gsettings reported success, but " + desktop_.schema + " " + key +
                   " does not hold the new picture (no dconf to store it?)"};
}

Result<> XfceWallpaperSetter::show(const std::string& path, const WallpaperJob& job) {
    const auto listing = runTool(runner(), kXfconf, {"-c", kXfceChannel, "-l"});
    if (!listing)
        return listing;
    const auto workspaces = xfceWorkspaces(*listing);
    if (workspaces.empty())
        return Failure{"xfconf-query lists no backdrop workspace in xfce4-desktop"};
    const std::string style = job.placement == Placement::Tiled ? "2" : "1";
    for (const auto& workspace : workspaces) {
        if (Result<> done = setBackdrop(runner(), workspace, style, path); !done)
            return done;
    }
    for (const auto& workspace : workspaces) {
        if (Result<> done = xfconfHolds(runner(), workspace + "/last-image", path); !done)
            return done;
    }
    return {};
}

PcmanfmDesktop PcmanfmDesktop::lxde() {
    return {"lxde", "pcmanfm", "desktop-items-", "*", "desktop_bg"};
}

PcmanfmDesktop PcmanfmDesktop::lxqt() {
    return {"lxqt", "pcmanfm-qt", "settings", "Desktop", "BgColor"};
}

std::optional<std::string> desktopManagerProfile(
    const std::vector<std::vector<std::string>>& commandLines, const std::string& program) {
    for (const auto& arguments : commandLines) {
        if (arguments.empty() || !isProgram(arguments.front(), program))
            continue;
        if (std::find(arguments.begin() + 1, arguments.end(), "--desktop") != arguments.end())
            return profileArgument(arguments);
    }
    return std::nullopt;
}

void PcmanfmWallpaperSetter::blackBackground(const std::string& profile) const {
    const std::filesystem::path folder =
        std::filesystem::path(configHome_) / desktop_.program / profile;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const auto& file : settingsFiles(folder, desktop_.filePrefix)) {
        const std::string text = readText(file);
        const std::string black = withIniValue(text, desktop_.group, desktop_.colourKey, "#000000");
        if (black != text)
            replaceFile(file, black, 0644);  // a colour that stays is no reason to fail
    }
}

Result<> PcmanfmWallpaperSetter::show(const std::string& path, const WallpaperJob& job) {
    const auto profile = desktopManagerProfile(processes_->commandLines(), desktop_.program);
    if (!profile) {
        return Failure{desktop_.program + "'s desktop manager is not running (no \"" +
                       desktop_.program + " --desktop\"), so it cannot show a wallpaper"};
    }
    blackBackground(*profile);
    const std::string mode = job.placement == Placement::Tiled ? "tile" : "center";
    std::vector<std::string> arguments{"--set-wallpaper", path, "--wallpaper-mode", mode};
    if (*profile != "default")
        arguments.insert(arguments.begin(), "--profile=" + *profile);
    const Result<> ran = runTool(runner(), desktop_.program, arguments);
    if (!ran)
        return ran;
    blackBackground(*profile);
    return {};
}

Result<std::string> swayPathArgument(const std::string& path) {
    std::string word = "\"";
    for (const unsigned char c : path) {
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return Failure{
                "sway cannot be given a picture whose folder or name holds a line break or "
                "another control character"};
        }
        if (!isShellSafe(c))
            word += '\\';
        word += static_cast<char>(c);
    }
    return word + "\"";
}

Result<> SwayWallpaperSetter::show(const std::string& path, const WallpaperJob& job) {
    const auto argument = swayPathArgument(path);
    if (!argument)
        return argument;
    const std::string mode = job.placement == Placement::Tiled ? "tile" : "center";
    const ProcessResult result =
        runner().run("swaymsg", {"output", "*", "bg", *argument, mode, "#000000"});
    if (!result.ran)
        return Failure{"swaymsg " + result.failure};
    std::string refused = swayError(result.output);
    if (refused.empty() && result.exitCode != 0)
        refused = "swaymsg failed with exit code " + std::to_string(result.exitCode);
    if (refused.empty())
        return {};
    return Failure{refused};
}

}  // namespace muralto::platform

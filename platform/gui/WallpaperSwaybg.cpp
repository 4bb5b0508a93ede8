#include "platform/gui/WallpaperSwaybg.h"

#include "platform/ProgramIdentity.h"

namespace muralto::platform {

namespace {

const char kSwaybg[] = "swaybg";

/// How a swaybg ended, without the time and source position that swaybg puts before its log
/// lines ("exit status 1: 2026-12-07 06:41:08 - [main.c:573] Unable to connect ...").
std::string withoutLogPrefix(const std::string& end) {
    const auto colon = end.find(": ");
    const auto stamp = end.find(" - [", colon);
    const auto close = end.find("] ", stamp);
    if (colon == std::string::npos || stamp == std::string::npos || close == std::string::npos)
        return end;
    return end.substr(0, colon + 2) + end.substr(close + 2);
}

}  // namespace

std::string swaybgMissingReason() {
    return "swaybg, which draws the wallpaper on Wayland compositors without a wallpaper "
           "service of their own, is not installed (Debian package swaybg)";
}

std::vector<std::string> swaybgArguments(const std::string& path, Placement placement) {
    const char* mode = placement == Placement::Tiled ? "tile" : "center";
    return {"-o", "*", "-i", path, "-m", mode, "-c", "#000000"};
}

SwaybgWallpaperSetter::~SwaybgWallpaperSetter() {
    if (current_)
        children_->stop(*current_);
}

Result<> SwaybgWallpaperSetter::canSetWallpaper() const {
    {
        const std::lock_guard lock(mutex_);
        if (!unsupported_.empty())
            return Failure{unsupported_};
    }
    if (children_->find(kSwaybg).empty())
        return Failure{swaybgMissingReason()};
    return {};
}

void SwaybgWallpaperSetter::checkCurrent() {
    if (!current_)
        return;
    const auto end = children_->ended(*current_);
    if (!end)
        return;
    notice_ = "swaybg, which drew the wallpaper, ended (" + *end + "); " +
              std::string(kProgramTitle) + " started it again.";
    children_->stop(*current_);
    current_.reset();
}

std::optional<std::string> SwaybgWallpaperSetter::endsWithinOverlap(int id) {
    for (auto waited = std::chrono::milliseconds(0); waited < timing_.overlap;
         waited += timing_.poll) {
        if (auto end = children_->ended(id))
            return end;
        timing_.sleep(timing_.poll);
    }
    return children_->ended(id);
}

Result<> SwaybgWallpaperSetter::show(const std::string& path, const WallpaperJob& job) {
    checkCurrent();
    const std::string file = children_->find(kSwaybg);
    if (file.empty())
        return Failure{swaybgMissingReason()};
    const Result<int> started = children_->start(file, swaybgArguments(path, job.placement));
    if (!started)
        return started;
    if (const auto end = endsWithinOverlap(*started)) {
        children_->stop(*started);
        std::string reason = "swaybg ended at once (" + withoutLogPrefix(*end) + ")";
        if (drewOnce_)
            return Failure{std::move(reason)};
        reason +=
            ": it cannot draw a wallpaper on this session (it needs a compositor with the "
            "layer-shell protocol, as those built on wlroots)";
        const std::lock_guard lock(mutex_);
        unsupported_ = reason;
        return Failure{std::move(reason)};
    }
    if (current_)
        children_->stop(*current_);
    current_ = *started;
    drewOnce_ = true;
    return {};
}

}  // namespace muralto::platform

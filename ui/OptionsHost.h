#pragma once

#include "newsgroups/clsNewsgroups.h"
#include "platform/MessageBoxes.h"
#include "settings/ProgramSettings.h"

namespace muralto::ui {

/// What the options window needs of the running program.
class OptionsHost {
public:
    virtual ~OptionsHost() = default;
    /// glRunMode: how the program was started.
    virtual settings::RunMode runMode() const = 0;
    /// gbSaverPage: the image page edits the screen-saver settings.
    virtual bool saverPage() const = 0;
    virtual void setSaverPage(bool saverPage) = 0;
    /// The working settings: WallpaperSettings and SaverSettings.
    virtual settings::ProgramSettings& settings() = 0;
    /// Writes the working settings and starts or stops the update timer to match.
    virtual void SaveSettings() = 0;
    /// Changes the wallpaper now from the working settings.
    virtual void UpdateImage() = 0;
    /// Ends the program; the program unloads the window on its way out.
    virtual void EndProgram() = 0;
    /// Whether the notification-area icon is up, so a hidden window can come back.
    virtual bool trayIconShown() const = 0;
    /// Where the window asks its questions ("Save Changes?").
    virtual platform::MessageBoxes& boxes() = 0;
    /// The program's newsgroup entries; null until the program has loaded them.
    virtual newsgroups::clsNewsgroups* Newsgroups() = 0;
};

}  // namespace muralto::ui

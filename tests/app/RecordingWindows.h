#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/Program.h"

namespace muralto::app::test {

/// Records the program's window steps in order, with the cursor counted as the system counts
/// it. The image window's id is 777; it is the screen's size full screen and the given size
/// inside another window.
class RecordingWindows : public ProgramWindows {
public:
    imaging::CharMetrics measureCanvasFont() override { return {13, 11}; }
    void restoreOptionsWindowPlacement() override { calls.push_back("restorePlacement"); }
    void addTrayIcon() override { calls.push_back("addTrayIcon"); }
    void showOptionsWindow() override { calls.push_back("showOptions"); }
    void restoreOptionsWindowIfMinimised() override { calls.push_back("restoreIfMinimised"); }
    QSize screenSize() override { return {1024, 768}; }
    void notify(const std::string& text) override { notices.push_back(text); }
    void showSaverWindow() override {
        calls.push_back("showSaverWindow");
        imageSize = screenSize();
    }
    void embedImageWindow(std::uint32_t host, QSize size) override {
        calls.push_back("embed " + std::to_string(host) + " " + std::to_string(size.width()) + "x" +
                        std::to_string(size.height()));
        imageSize = size;
    }
    std::uint32_t imageWindowId() override { return 777; }
    QSize imageWindowSize() override { return imageSize; }

    void removeTrayIcon() override { calls.push_back("removeTrayIcon"); }
    void saveOptionsWindowPlacement() override { calls.push_back("savePlacement"); }
    void unloadOptionsWindow() override {
        calls.push_back("unloadOptions");
        if (onUnloadOptions)
            onUnloadOptions();
        if (program)
            program->EndProgram();  // the window's unload ends the program too
    }
    void unloadImageWindow() override {
        calls.push_back("unloadImage");
        if (program)
            program->Form_Unload();
    }
    void showCursor(bool show) override {
        calls.push_back(show ? "showCursor" : "hideCursor");
        cursor.ShowCursor(show);
    }
    void addGroups() override { calls.push_back("addGroups"); }
    void endProcess() override {
        calls.push_back("endProcess");
        if (onEndProcess)
            onEndProcess();
    }

    Program* program = nullptr;
    /// Run when the options window unloads and when the process ends.
    std::function<void()> onUnloadOptions;
    std::function<void()> onEndProcess;
    std::vector<std::string> calls;
    std::vector<std::string> notices;
    CursorCounter cursor;
    QSize imageSize;  ///< empty until the window is shown
};

}  // namespace muralto::app::test

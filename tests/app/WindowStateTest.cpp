// The notification-area icon's clicks, and the options window coming back from the notification
// area in its normal state.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include "app/QtWindows.h"
#include "tests/app/TestServices.h"

namespace muralto::app {
namespace {

/// A program on fake services with its real windows.
struct ProgramWithWindows {
    test::TestServices host;
    Program program{host.services()};
    i18n::StringTable strings{i18n::Language::EnUS};
    QtWindows windows{program,  strings, host.boxes, host.temp.registry, host.system.directory,
                      {1, 0, 0}};
};

struct StateCase {
    const char* name;
    Qt::WindowStates before;  ///< the state the window was minimised from
};

class WindowStateTest : public testing::TestWithParam<StateCase> {
protected:
    i18n::StringTable strings{i18n::Language::EnUS};
};

TEST_P(WindowStateTest, TheIconsDoubleClickBringsTheWindowBackNormal) {
    test::TestServices services;
    Program program(services.services());
    ProgramOptionsHost host(program, services.boxes, [] { return true; });
    ui::frmMuralto form(strings, host, services.system.directory, {1, 0, 0});
    form.show();
    form.setWindowState(GetParam().before);
    form.setWindowState(form.windowState() | Qt::WindowMinimized);
    ASSERT_TRUE(
        muralto::test::processUntil([&] { return !form.isVisible(); }));  // gone to the tray

    form.showFromIcon();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
}

TEST_P(WindowStateTest, TheStartUpStepShowsAMinimisedWindowNormal) {
    ProgramWithWindows run;
    QtWindows& windows = run.windows;
    windows.options().setWindowState(GetParam().before | Qt::WindowMinimized);

    windows.restoreOptionsWindowIfMinimised();
    EXPECT_TRUE(windows.options().isVisible());
    EXPECT_EQ(windows.options().windowState(), Qt::WindowNoState);
}

struct ClickCase {
    const char* name;
    QSystemTrayIcon::ActivationReason reason;
    bool windowShown;
    bool menuShown;
};

class TrayClickTest : public testing::TestWithParam<ClickCase> {};

// A StatusNotifier host sends a plain click where a tray sends a double click: both bring the
// window back.
TEST_P(TrayClickTest, EachClickDoesItsOneThing) {
    ProgramWithWindows run;
    QtWindows& windows = run.windows;
    ui::frmMuralto& form = windows.options();
    ASSERT_FALSE(form.isVisible());

    windows.tray().activated(GetParam().reason);
    EXPECT_EQ(form.isVisible(), GetParam().windowShown);
    EXPECT_EQ(form.mnuPopup().isVisible(), GetParam().menuShown);
    form.mnuPopup().hide();
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, TrayClickTest,
    testing::Values(ClickCase{"DoubleClick", QSystemTrayIcon::DoubleClick, true, false},
                    ClickCase{"Trigger", QSystemTrayIcon::Trigger, true, false},
                    ClickCase{"Context", QSystemTrayIcon::Context, false, true},
                    ClickCase{"MiddleClick", QSystemTrayIcon::MiddleClick, false, false},
                    ClickCase{"Unknown", QSystemTrayIcon::Unknown, false, false}),
    muralto::test::byName);

// An end asked for before the event loop runs (a signal while a start-up question is shown)
// still ends the loop once it runs, instead of leaving a process that nothing can end.
TEST(EndProcessTest, AnEndBeforeTheEventLoopRunsStillEndsIt) {
    ProgramWithWindows run;
    QtWindows& windows = run.windows;
    windows.endProcess();
    QTimer guard;  // without the fix the loop would not end: this ends it with another code
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

INSTANTIATE_TEST_SUITE_P(States, WindowStateTest,
                         testing::Values(StateCase{"FromNormal", Qt::WindowNoState},
                                         StateCase{"FromMaximised", Qt::WindowMaximized},
                                         StateCase{"FromFullScreen", Qt::WindowFullScreen}),
                         muralto::test::byName);

}  // namespace
}  // namespace muralto::app

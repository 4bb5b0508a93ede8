// The notification-area icon's clicks, the options window shown normal at the start, and an end
// asked for before the event loop runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
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

// A StatusNotifier host sends a plain click where a tray sends a double click: both bring the
// window back; the context click shows the menu.
TEST(WindowStateTest, EachClickOfTheIconDoesItsOneThing) {
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        bool windowShown, menuShown;
    };
    for (const Case& c :
         {Case{QSystemTrayIcon::Trigger, true, false}, Case{QSystemTrayIcon::Context, false, true},
          Case{QSystemTrayIcon::MiddleClick, false, false}}) {
        ProgramWithWindows run;
        ui::frmMuralto& form = run.windows.options();
        run.windows.tray().activated(c.reason);
        EXPECT_EQ(form.isVisible(), c.windowShown) << c.reason;
        EXPECT_EQ(form.mnuPopup().isVisible(), c.menuShown) << c.reason;
        form.mnuPopup().hide();
    }
}

TEST(WindowStateTest, TheStartUpStepShowsAMinimisedWindowNormal) {
    ProgramWithWindows run;
    run.windows.options().setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    run.windows.restoreOptionsWindowIfMinimised();
    EXPECT_TRUE(run.windows.options().isVisible());
    EXPECT_EQ(run.windows.options().windowState(), Qt::WindowNoState);
}

// An end asked for before the event loop runs (a signal while a start-up question is shown)
// still ends the loop once it runs, instead of leaving a process that nothing can end.
TEST(WindowStateTest, AnEndBeforeTheEventLoopRunsStillEndsIt) {
    ProgramWithWindows run;
    run.windows.endProcess();
    QTimer guard;  // ends a loop that the end did not end, with another code
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
}  // namespace muralto::app

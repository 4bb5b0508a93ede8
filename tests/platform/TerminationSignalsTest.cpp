// SIGTERM, SIGINT and SIGHUP reach the event loop's thread through a pipe.
#include "platform/TerminationSignals.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <thread>

#include "platform/MessageBoxes.h"
#include "tests/support/Fakes.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

constexpr int kCaught[] = {SIGTERM, SIGINT, SIGHUP};

class TerminationSignalsTest : public testing::Test {
protected:
    TerminationSignalsTest() { defaultDispositions(); }
    ~TerminationSignalsTest() override { defaultDispositions(); }

    static void defaultDispositions() {
        for (const int signal : kCaught)
            std::signal(signal, SIG_DFL);
    }
    /// The handler now installed for signal.
    static void (*handlerOf(int signal))(int) {
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        return current.sa_handler;
    }

    int argc_ = 1;
    char name_[5] = "test";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_{argc_, argv_};
};

TEST_F(TerminationSignalsTest, EachSignalRunsTheCallOnceOnTheLoopsThreadOnceTheLoopRuns) {
    for (const int signal : kCaught) {
        int calls = 0;
        QThread* thread = nullptr;
        TerminationSignals catcher([&] {
            ++calls;
            thread = QThread::currentThread();
        });
        ASSERT_TRUE(catcher.active());
        // From another thread, as a signal may arrive on any.
        std::thread([signal] { ::kill(::getpid(), signal); }).join();
        EXPECT_EQ(calls, 0) << "the handler itself must not run the call";
        EXPECT_TRUE(test::processUntil([&] { return calls == 1; })) << signal;
        EXPECT_EQ(thread, app_.thread());
        for (int round = 0; round < 3; ++round)
            QCoreApplication::processEvents();
        EXPECT_EQ(calls, 1) << "one signal, one call";
    }
}

TEST_F(TerminationSignalsTest, ASignalDuringTheCallDoesNotReenterAndIsNotLost) {
    int calls = 0;
    int depth = 0;
    int deepest = 0;
    TerminationSignals catcher([&] {
        ++calls;
        deepest = std::max(deepest, ++depth);
        if (calls == 1) {
            std::raise(SIGHUP);
            // an event loop inside the call, as a dialog would run
            for (int round = 0; round < 3; ++round)
                QCoreApplication::processEvents();
        }
        --depth;
    });
    std::raise(SIGTERM);
    EXPECT_TRUE(test::processUntil([&] { return calls == 2; }));
    EXPECT_EQ(deepest, 1);
}

void ownHandler(int) {}

/// A handler that was there comes back when the object goes; a signal ignored at the start (as
/// nohup asks, to survive the terminal) stays ignored throughout.
TEST_F(TerminationSignalsTest, LeavesTheDispositionsThatWereThere) {
    std::signal(SIGHUP, ownHandler);
    std::signal(SIGINT, SIG_IGN);
    {
        TerminationSignals catcher([] {});
        EXPECT_NE(handlerOf(SIGHUP), ownHandler);
        EXPECT_NE(handlerOf(SIGTERM), SIG_DFL);
        EXPECT_EQ(handlerOf(SIGINT), SIG_IGN);
    }
    EXPECT_EQ(handlerOf(SIGHUP), ownHandler);
    EXPECT_EQ(handlerOf(SIGTERM), SIG_DFL);
    EXPECT_EQ(handlerOf(SIGINT), SIG_IGN);
}

// Once an end by signal has stopped the asking, no box waits for anybody: messages go to
// standard error and questions take the answer that closing their box gives.
TEST(UnattendedBoxesTest, AfterStopAskingNothingWaitsForAnAnswer) {
    test::FakeMessageBoxes shown;
    shown.answers = {MessageBoxes::Answer::Yes, MessageBoxes::Answer::Yes};
    UnattendedBoxes boxes(shown);
    EXPECT_EQ(boxes.askYesNo("t", "before"), MessageBoxes::Answer::Yes);
    boxes.stopAsking();
    testing::internal::CaptureStderr();
    boxes.showMessage("Error accessing registry", "Resource temporarily unavailable");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "muralto: Error accessing registry: Resource temporarily unavailable\n");
    EXPECT_EQ(boxes.askYesNo("t", "q"), MessageBoxes::Answer::No);
    EXPECT_EQ(boxes.askYesNoCancel("t", "q"), MessageBoxes::Answer::Cancel);
    EXPECT_EQ(boxes.inputBox("t", "q"), "");
    EXPECT_TRUE(shown.shown.empty());
    EXPECT_EQ(shown.asked.size(), 1u);
}

}  // namespace
}  // namespace muralto::platform

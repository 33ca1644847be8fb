// The Windows console's events stop a command as signals do on POSIX: Ctrl+C and Ctrl+Break as
// SIGINT, closing the console, logging off and shutting down as SIGTERM. Windows calls the
// handler on a thread of its own and ends the process once it returns from a closing event, so
// that handler must wait until the command has ended.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <memory>
#include <thread>

#include "app/cli_signals.h"
#include "tests/deadline.h"

namespace rv7342::cli {
namespace {

// Runs the event loop until `done` holds, for at most kEventDeadline.
template <typename Condition>
bool ProcessEventsUntil(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + kEventDeadline;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

// Ctrl+C and Ctrl+Break return at once; closing, logging off and shutting down return only
// once the command has ended, which the test marks just before the StopSignals goes.
TEST(ConsoleStop, EachConsoleEventStopsTheCommandAsItsSignal) {
    const struct {
        DWORD event;
        int signal;
    } cases[] = {
        {CTRL_C_EVENT, SIGINT},       {CTRL_BREAK_EVENT, SIGINT},     {CTRL_CLOSE_EVENT, SIGTERM},
        {CTRL_LOGOFF_EVENT, SIGTERM}, {CTRL_SHUTDOWN_EVENT, SIGTERM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.event);
        auto stop = std::make_unique<StopSignals>();
        bool requested = false;
        QObject::connect(stop.get(), &StopSignals::stopRequested, [&] { requested = true; });
        std::atomic<bool> handled{false};
        std::atomic<bool> returned{false};
        std::atomic<bool> commandEnded{false};
        std::atomic<bool> returnedAfterTheEnd{false};
        std::thread console([&] {
            handled = StopSignals::HandleConsoleEvent(c.event);
            returnedAfterTheEnd = commandEnded.load();
            returned = true;
        });
        EXPECT_TRUE(ProcessEventsUntil([&] { return requested; }));
        EXPECT_EQ(stop->Received(), c.signal);
        if (c.signal == SIGINT) {
            EXPECT_TRUE(ProcessEventsUntil([&] { return returned.load(); }))
                << "returns while the command runs on";
        }
        commandEnded = true;
        stop.reset();
        console.join();
        EXPECT_TRUE(handled);
        if (c.signal == SIGTERM) {
            EXPECT_TRUE(returnedAfterTheEnd) << "the process would end with the handler";
        }
    }
}

// A closing event whose command does not end returns after the wait Windows allows, not
// before: at least three seconds.
TEST(ConsoleStop, ClosingWaitsSecondsForACommandThatDoesNotEnd) {
    const StopSignals stop;
    std::atomic<bool> returned{false};
    QElapsedTimer waited;
    waited.start();
    std::thread console([&] {
        StopSignals::HandleConsoleEvent(CTRL_CLOSE_EVENT);
        returned = true;
    });
    EXPECT_TRUE(ProcessEventsUntil([&] { return returned.load(); }));
    console.join();
    EXPECT_GE(waited.elapsed(), 3000);
}

// Events that are no request to stop are left to the next handler.
TEST(ConsoleStop, OtherEventsAreLeftToTheNextHandler) {
    const StopSignals stop;
    EXPECT_FALSE(StopSignals::HandleConsoleEvent(7));
    EXPECT_EQ(stop.Received(), 0);
}

}  // namespace
}  // namespace rv7342::cli

// The Windows console's events stop a command as signals do on POSIX: Ctrl+C and Ctrl+Break as
// SIGINT, closing the console, logging off and shutting down as SIGTERM. Windows calls the
// handler on a thread of its own and ends the process once it returns from a closing event, so
// that handler must wait until the command has ended.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include "app/cli_signals.h"

namespace rv7342::cli {
namespace {

// Runs the event loop until `done` holds, for at most some seconds.
template <typename Condition>
bool ProcessEventsUntil(Condition done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

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
        std::thread console([&] {
            handled = StopSignals::HandleConsoleEvent(c.event);
            returned = true;
        });
        EXPECT_TRUE(ProcessEventsUntil([&] { return requested; }));
        EXPECT_EQ(stop->Received(), c.signal);
        if (c.signal == SIGTERM) {
            // The process would end when the handler returns: not before the command has.
            EXPECT_FALSE(returned);
        }
        stop.reset();
        console.join();
        EXPECT_TRUE(handled);
    }
}

// Events that are no request to stop are left to the next handler.
TEST(ConsoleStop, OtherEventsAreLeftToTheNextHandler) {
    const StopSignals stop;
    EXPECT_FALSE(StopSignals::HandleConsoleEvent(7));
    EXPECT_EQ(stop.Received(), 0);
}

}  // namespace
}  // namespace rv7342::cli

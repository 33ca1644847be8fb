// rv7342-cli's console control handler on Windows: Ctrl+C, Ctrl+Break and closing the console
// reach the event loop as a stop, with the exit status they stand for.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>
#include <windows.h>

#include <csignal>

#include "app/cli_signals.h"

namespace rv7342::cli {
namespace {

// Ctrl+Break sent to this process group's console, as the console sends it.
TEST(ConsoleEvents, CtrlBreakStopsThroughTheEventLoop) {
    StopSignals stop;
    bool stopped = false;
    QObject::connect(&stop, &StopSignals::stopRequested, [&] { stopped = true; });
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0)) << GetLastError();
    QElapsedTimer waited;
    waited.start();
    while (!stopped && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_TRUE(stopped);
    EXPECT_EQ(stop.Received(), SIGINT);
}

}  // namespace
}  // namespace rv7342::cli

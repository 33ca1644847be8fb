#include "app/cli_signals.h"

#include <windows.h>

#include <atomic>

namespace rv7342::cli {

namespace {

HANDLE stopEvent = nullptr;     // set by the handler: a stop is asked for
HANDLE stoppedEvent = nullptr;  // set once StopSignals is gone: the command has ended
std::atomic<int> stopSignal{0};

// Closing the console, logging off and shutting down end the process once the handler
// returns; waiting lets the command close its files first. Windows allows some seconds.
constexpr DWORD kCloseWaitMs = 4000;

// The signal a console event stands for, or 0 for one left to the next handler.
int ConsoleEventSignal(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            return SIGINT;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            return SIGTERM;
        default:
            return 0;
    }
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    return StopSignals::HandleConsoleEvent(event) ? TRUE : FALSE;
}

}  // namespace

bool StopSignals::HandleConsoleEvent(unsigned long event) {
    const int signal = ConsoleEventSignal(event);
    if (signal == 0) {
        return false;
    }
    int none = 0;
    stopSignal.compare_exchange_strong(none, signal);
    SetEvent(stopEvent);
    if (signal == SIGTERM) {
        WaitForSingleObject(stoppedEvent, kCloseWaitMs);
    }
    return true;
}

StopSignals::StopSignals() {
    if (!stopEvent) {
        stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        stoppedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    if (stoppedEvent) {
        ResetEvent(stoppedEvent);
    }
    if (!stopEvent || !stoppedEvent || !SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) {
        return;  // the events keep their default action: the program ends at once
    }
    stopSignal = 0;
    notifier_ = std::make_unique<QWinEventNotifier>(stopEvent);
    connect(notifier_.get(), &QWinEventNotifier::activated, this, &StopSignals::OnSignal);
}

StopSignals::~StopSignals() {
    if (notifier_) {
        notifier_.reset();
        SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    }
    if (stoppedEvent) {
        SetEvent(stoppedEvent);  // a handler waiting for the end may return now
    }
    // The events stay: a handler still running on the console's thread may use them.
}

void StopSignals::OnSignal() {
    ResetEvent(stopEvent);
    if (received_ == 0) {
        received_ = stopSignal;
    }
    emit stopRequested();
}

}  // namespace rv7342::cli

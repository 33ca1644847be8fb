#include "app/cli_signals.h"

#include <fcntl.h>
#include <unistd.h>

namespace rv7342::cli {

namespace {

int signalPipe[2] = {-1, -1};

void WriteSignal(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    // Async-signal-safe. A full pipe already holds a signal for the event loop to see.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &number, 1);
}

}  // namespace

StopSignals::StopSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the signals keep their default action: the program ends at once
    }
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &StopSignals::OnSignal);
    struct sigaction action {};
    action.sa_handler = WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
    sigaction(SIGHUP, &action, &previousHup_);
}

StopSignals::~StopSignals() {
    if (!notifier_) {
        return;
    }
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    sigaction(SIGHUP, &previousHup_, nullptr);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void StopSignals::OnSignal() {
    unsigned char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1) {
        if (received_ == 0) {
            received_ = number;
        }
    }
    emit stopRequested();
}

}  // namespace rv7342::cli

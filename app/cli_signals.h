#pragma once
// SIGINT, SIGTERM and SIGHUP turned into an event of the event loop, so that a command can end
// its work cleanly instead of dying in the middle of it. On POSIX the handler writes to a pipe;
// on Windows the console's Ctrl+C and Ctrl+Break (as SIGINT) and its closing, logoff and
// shutdown (as SIGTERM) set an event, and closing waits a moment for the command to end.

#include <QObject>

#include <csignal>
#include <memory>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif

namespace rv7342::cli {

class StopSignals : public QObject {
    Q_OBJECT
  public:
    // Catches SIGINT, SIGTERM and SIGHUP from now until destroyed; then they act as before again.
    StopSignals();
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that arrived; 0 while none has.
    int Received() const { return received_; }

  signals:
    void stopRequested();

  public:
#ifdef Q_OS_WIN
    // What the console handler does with a console event, on the thread Windows calls it on:
    // true for an event that stops the command. For closing, logging off and shutting down it
    // returns only once the StopSignals is gone (the command has ended) or after some seconds.
    static bool HandleConsoleEvent(unsigned long event);
#endif

  private:
    void OnSignal();

#ifdef Q_OS_WIN
    std::unique_ptr<QWinEventNotifier> notifier_;
#else
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    struct sigaction previousHup_ {};
#endif
    int received_ = 0;
};

}  // namespace rv7342::cli

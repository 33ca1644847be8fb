#pragma once
// SIGINT, SIGTERM and SIGHUP turned into an event of the event loop (through a pipe the handler
// writes to), so that a command can end its work cleanly instead of dying in the middle of it.

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <memory>

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

  private:
    void OnSignal();

    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    struct sigaction previousHup_ {};
    int received_ = 0;
};

}  // namespace rv7342::cli

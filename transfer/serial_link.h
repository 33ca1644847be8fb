#pragma once
// The serial link to the meter: one port, opened at 9600,N,8,1 for a transfer, read one raw
// byte at a time, closed at its end. Nothing is ever sent.

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "transfer/port_choice.h"

namespace rv7342 {

// "COM1" or "COM2".
QString PortName(int port);

// The serial ports the system lists now; pseudo-terminals and /dev/ttyS entries without
// hardware behind them are not among them.
std::vector<MachinePort> MachinePorts();
using PortLister = std::function<std::vector<MachinePort>()>;

// Once the meter has begun to send, a silence this long means it has stopped: it sends its
// whole memory without a pause, so a gap of three seconds (about 180 frames) is no
// transmission of it, while a USB adapter or a busy desktop delays bytes by milliseconds.
constexpr int kSilenceLimitMs = 3000;

class SerialLink : public QObject {
    Q_OBJECT
  public:
    // Why ReadCommByte gave no byte.
    enum class Stop { None, Closed, Failed, Silent };

    // `listPorts` tells which serial ports the machine has; it is asked at every open.
    explicit SerialLink(PortLister listPorts = MachinePorts, QObject* parent = nullptr);

    // What COM1 and COM2 stand for now: on Linux the machine's ports, chosen as ChoosePorts
    // says, unless RV7342_COM1 or RV7342_COM2 names the device; on Windows COM1 and COM2.
    PortChoice CurrentChoice() const;

    // Opens the port at 9600,N,8,1. A failure is the message for the user.
    [[nodiscard]] std::optional<QString> OpenCommPort(int port);
    // One received byte. While none is waiting, the window's events are processed; the wait
    // sleeps in the event loop until a byte, an error or CloseCommPort. Before the first byte
    // it waits without limit (the user has yet to press RESET); after it, a silence of
    // kSilenceLimitMs ends the wait. No byte comes back once the port was closed, failed or
    // fell silent; Stopped and FailureReason then say why.
    std::optional<std::uint8_t> ReadCommByte();
    void CloseCommPort();
    Stop Stopped() const { return stop_; }
    QString FailureReason() const { return failure_; }
    // The device of the port opened last, as its full path.
    QString Device() const { return device_; }
    // Bytes read since the port was opened.
    long long BytesReceived() const { return bytesReceived_; }

  signals:
    void waitEnded();
    // At every open: what COM1 and COM2 stood for.
    void portsChosen(const rv7342::PortChoice& choice);

  private:
    void WaitForByte();
    PortChoice ChoiceFrom(const std::vector<MachinePort>& ports) const;
    QString OpenFailure(int port, const PortChoice& choice,
                        const std::vector<MachinePort>& ports) const;
    QString ReadFailure() const;
    void OnError(QSerialPort::SerialPortError error);

    PortLister listPorts_;
    QSerialPort port_;
    QString device_;
    QTimer silence_;
    QElapsedTimer sinceLastByte_;
    long long bytesReceived_ = 0;
    Stop stop_ = Stop::None;
    QString failure_;
};

}  // namespace rv7342

#pragma once
// The serial link to the meter: one port, opened at 9600,N,8,1 for a transfer, read one raw
// byte at a time, closed at its end. Nothing is ever sent.

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ports/port_choice.h"

namespace rv7342 {

// The serial ports the system lists now; pseudo-terminals and /dev/ttyS entries without
// hardware behind them are not among them.
std::vector<MachinePort> MachinePorts();
using PortLister = std::function<std::vector<MachinePort>()>;

class SerialLink : public QObject {
    Q_OBJECT
  public:
    // `listPorts` tells which serial ports the machine has; it is asked at every open.
    explicit SerialLink(PortLister listPorts = MachinePorts, QObject* parent = nullptr);

    // What COM1 and COM2 stand for now: a device named with NameDevice; on Linux otherwise the
    // machine's ports, chosen as ChoosePorts says, unless RV7342_COM1 or RV7342_COM2 names the
    // device; on Windows COM1 and COM2.
    PortChoice CurrentChoice() const;
    // From now on `port` (1 or 2) stands for `device`, whatever the variables and the rule say.
    void NameDevice(int port, const std::string& device);

    // Opens the port at 9600,N,8,1. A failure is the message for the user.
    [[nodiscard]] std::optional<QString> OpenCommPort(int port);
    // One received byte, taken from those waiting; none when none is waiting or the port is
    // closed. bytesWaiting() tells when more have arrived.
    std::optional<std::uint8_t> ReadCommByte();
    void CloseCommPort();
    bool IsOpen() const { return port_.isOpen(); }
    // Why the open port failed, after failed(); bytes received before it can still be read.
    QString FailureReason() const { return failure_; }
    // The device of the port opened last, as its full path.
    QString Device() const { return device_; }

  signals:
    void bytesWaiting();
    void failed();
    // At every open: what COM1 and COM2 stood for.
    void portsChosen(const rv7342::PortChoice& choice);

  private:
    PortChoice ChoiceFrom(const std::vector<MachinePort>& ports) const;
    QString OpenFailure(int port, const PortChoice& choice,
                        const std::vector<MachinePort>& ports) const;
    void SetModemLines();
    QString ReadFailure() const;
    void OnError(QSerialPort::SerialPortError error);
    void WatchLine();
    void Fail();

    PortLister listPorts_;
    std::array<std::string, 2> named_;
    QSerialPort port_;
    QTimer lineWatch_;
    QString device_;
    QString failure_;
    bool settingModemLines_ = false;
};

}  // namespace rv7342

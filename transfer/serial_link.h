#pragma once
// The serial link to the meter: one port, opened at 9600,N,8,1 for a transfer, read one raw
// byte at a time, closed at its end. Nothing is ever sent.

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <cstdint>
#include <optional>

namespace rv7342 {

// "COM1" or "COM2".
QString PortName(int port);
// The device a port number stands for: on Linux /dev/ttyS0 and /dev/ttyS1, unless the
// environment variable RV7342_COM1 or RV7342_COM2 names another one.
QString DeviceForPort(int port);

// The message for a port that would not open, naming the port, its device and the reason.
// For a lack of permission it names the group that owns the device and how to join it.
QString OpenFailureMessage(const QString& port, const QString& device,
                           QSerialPort::SerialPortError error, const QString& reason,
                           const QString& deviceGroup, bool deviceAccessible);
// The group that owns a device file; empty when it cannot be told.
QString DeviceGroup(const QString& device);

class SerialLink : public QObject {
    Q_OBJECT
  public:
    explicit SerialLink(QObject* parent = nullptr);

    // Opens the port at 9600,N,8,1. A failure is the message for the user.
    [[nodiscard]] std::optional<QString> OpenCommPort(int port);
    // One received byte. While none is waiting, the window's events are processed; the wait
    // sleeps in the event loop until a byte, an error or CloseCommPort. No byte comes back
    // when the port failed or was closed; FailureReason then says why.
    std::optional<std::uint8_t> ReadCommByte();
    void CloseCommPort();
    QString FailureReason() const { return failure_; }
    QString Device() const { return port_.portName(); }

  signals:
    void waitEnded();

  private:
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QString failure_;
};

}  // namespace rv7342

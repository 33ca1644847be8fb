#pragma once
// The serial link to the meter: one port, opened at 9600,N,8,1 for a transfer, read one raw
// byte at a time, closed at its end. Nothing is ever sent.

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

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

// Once the meter has begun to send, a silence this long means it has stopped: it sends its
// whole memory without a pause, so a gap of three seconds (about 180 frames) is no
// transmission of it, while a USB adapter or a busy desktop delays bytes by milliseconds.
constexpr int kSilenceLimitMs = 3000;

class SerialLink : public QObject {
    Q_OBJECT
  public:
    // Why ReadCommByte gave no byte.
    enum class Stop { None, Closed, Failed, Silent };

    explicit SerialLink(QObject* parent = nullptr);

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

  private:
    void WaitForByte();
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QString device_;
    QTimer silence_;
    QElapsedTimer sinceLastByte_;
    long long bytesReceived_ = 0;
    Stop stop_ = Stop::None;
    QString failure_;
};

}  // namespace rv7342

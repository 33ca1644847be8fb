#include "transfer/serial_link.h"

#include <QEventLoop>
#include <QFile>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rv7342 {

QString PortName(int port) {
    return QStringLiteral("COM%1").arg(port);
}

QString DeviceForPort(int port) {
#ifdef Q_OS_WIN
    return PortName(port);
#else
    const QByteArray override = qgetenv(qPrintable(QStringLiteral("RV7342_COM%1").arg(port)));
    if (!override.isEmpty()) {
        return QString::fromLocal8Bit(override);
    }
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QString DeviceGroup(const QString& device) {
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0) {
        return {};
    }
    const group* owner = ::getgrgid(info.st_gid);
    return owner ? QString::fromLocal8Bit(owner->gr_name) : QString();
#else
    Q_UNUSED(device);
    return {};
#endif
}

namespace {

// Whether this user may read and write the device file.
bool DeviceAccessible(const QString& device) {
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
#else
    Q_UNUSED(device);
    return true;
#endif
}

}  // namespace

QString OpenFailureMessage(const QString& port, const QString& device,
                           QSerialPort::SerialPortError error, const QString& reason,
                           const QString& deviceGroup, bool deviceAccessible) {
    QString message = QStringLiteral("Cannot open %1 (%2): %3.").arg(port, device, reason);
    if (error == QSerialPort::DeviceNotFoundError) {
        message += QStringLiteral(
                       "\n\nNo such serial device. Check that the cable or adapter is "
                       "plugged in, or name the device in RV7342_%1.")
                       .arg(port);
    } else if (error == QSerialPort::PermissionError && deviceAccessible) {
        message += QStringLiteral("\n\nThe device is in use by another program.");
    } else if (error == QSerialPort::PermissionError) {
        const QString group = deviceGroup.isEmpty() ? QStringLiteral("dialout") : deviceGroup;
        message += QStringLiteral(
                       "\n\nYou have no permission to use this serial device. It "
                       "belongs to the group \"%1\"; add yourself to it with\n\n"
                       "    sudo usermod -aG %1 $USER\n\n"
                       "then log out and in again.")
                       .arg(group);
    }
    return message;
}

SerialLink::SerialLink(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::OnError);
    silence_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, &SerialLink::waitEnded);
}

std::optional<QString> SerialLink::OpenCommPort(int port) {
    failure_.clear();
    stop_ = Stop::None;
    bytesReceived_ = 0;
    const QString device = DeviceForPort(port);
    device_ = device;
    port_.setPortName(device);
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setParity(QSerialPort::NoParity);
    port_.setDataBits(QSerialPort::Data8);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (port_.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return OpenFailureMessage(PortName(port), device, port_.error(), port_.errorString(),
                              DeviceGroup(device), DeviceAccessible(device));
}

std::optional<std::uint8_t> SerialLink::ReadCommByte() {
    while (port_.isOpen() && stop_ == Stop::None && port_.bytesAvailable() < 1) {
        WaitForByte();
    }
    // Bytes that arrived before a failure are still delivered.
    char byte = 0;
    if (port_.isOpen() && port_.getChar(&byte)) {
        ++bytesReceived_;
        sinceLastByte_.start();
        return static_cast<std::uint8_t>(byte);
    }
    if (stop_ == Stop::None) {
        stop_ = Stop::Closed;
    }
    return std::nullopt;
}

// Sleeps in the event loop until a byte arrives, the port fails or closes, or, once the meter
// has begun to send, until the silence limit is reached.
void SerialLink::WaitForByte() {
    if (bytesReceived_ > 0) {
        const qint64 left = kSilenceLimitMs - sinceLastByte_.elapsed();
        if (left <= 0) {
            stop_ = Stop::Silent;
            return;
        }
        silence_.start(static_cast<int>(left));
    }
    QEventLoop wait;
    connect(&port_, &QSerialPort::readyRead, &wait, &QEventLoop::quit);
    connect(this, &SerialLink::waitEnded, &wait, &QEventLoop::quit);
    wait.exec();
    silence_.stop();
}

void SerialLink::CloseCommPort() {
    port_.close();
    emit waitEnded();
}

void SerialLink::OnError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !port_.isOpen()) {
        return;
    }
    failure_ = port_.errorString();
    stop_ = Stop::Failed;
    emit waitEnded();
}

}  // namespace rv7342

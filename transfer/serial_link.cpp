#include "transfer/serial_link.h"

#include <QEventLoop>
#include <QFile>
#include <QSerialPortInfo>

#include "transfer/port_messages.h"

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <cerrno>

#include "transfer/port_system.h"
#endif

namespace rv7342 {

namespace {

QString Text(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Local(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

bool IsUsbAdapter(const QSerialPortInfo& info) {
    return info.hasVendorIdentifier() || info.portName().startsWith(QStringLiteral("ttyUSB")) ||
           info.portName().startsWith(QStringLiteral("ttyACM"));
}

#ifdef Q_OS_UNIX
// A refused open is a lack of permission when this user may not read and write the device;
// otherwise another program holds it (its lock file, or a device opened exclusively).
bool PermissionDenied(const std::string& device) {
    return ::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}
#endif

}  // namespace

QString PortName(int port) {
    return QStringLiteral("COM%1").arg(port);
}

std::vector<MachinePort> MachinePorts() {
    std::vector<MachinePort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        MachinePort port{Local(info.systemLocation()),
                         Local(info.description()),
                         Local(info.manufacturer()),
                         std::nullopt,
                         std::nullopt,
                         IsUsbAdapter(info)};
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            port.vendorId = info.vendorIdentifier();
            port.productId = info.productIdentifier();
        }
        ports.push_back(std::move(port));
    }
    return ports;
}

SerialLink::SerialLink(PortLister listPorts, QObject* parent)
    : QObject(parent), listPorts_(std::move(listPorts)) {
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::OnError);
    silence_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, &SerialLink::waitEnded);
}

PortChoice SerialLink::CurrentChoice() const {
    return ChoiceFrom(listPorts_());
}

PortChoice SerialLink::ChoiceFrom(const std::vector<MachinePort>& ports) const {
#ifdef Q_OS_WIN
    // The system's own COM1 and COM2, described where the system lists them.
    PortChoice choice;
    for (int port = 1; port <= 2; ++port) {
        const std::string name = Local(PortName(port));
        choice.com[port - 1] = MachinePort{name, {}, {}, {}, {}, false};
        for (const MachinePort& listed : ports) {
            if (listed.device == name) {
                choice.com[port - 1] = listed;
            }
        }
    }
    return choice;
#else
    return ChoosePorts(ports, {qEnvironmentVariable("RV7342_COM1").toStdString(),
                               qEnvironmentVariable("RV7342_COM2").toStdString()});
#endif
}

std::optional<QString> SerialLink::OpenCommPort(int port) {
    failure_.clear();
    stop_ = Stop::None;
    bytesReceived_ = 0;
    const std::vector<MachinePort> ports = listPorts_();
    const PortChoice choice = ChoiceFrom(ports);
    emit portsChosen(choice);
    if (!choice.For(port)) {
        return Text(NoPortMessage(port, choice, ports));
    }
    device_ = Text(choice.For(port)->device);
    port_.setPortName(device_);
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setParity(QSerialPort::NoParity);
    port_.setDataBits(QSerialPort::Data8);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadOnly)) {
        return OpenFailure(port, choice, ports);
    }
#ifdef Q_OS_UNIX
    SetModemLinesForIsolatedCables(port_.handle());
#endif
    return std::nullopt;
}

QString SerialLink::OpenFailure(int port, const PortChoice& choice,
                                const std::vector<MachinePort>& ports) const {
    const std::string device = choice.For(port)->device;
    const std::string reason = Local(port_.errorString());
    switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError:
            return Text(MissingDeviceMessage(port, device, reason, choice, ports));
#ifdef Q_OS_UNIX
        case QSerialPort::PermissionError:
            return Text(PermissionDenied(device)
                            ? PermissionMessage(port, device, reason, ReadDeviceAccess(device))
                            : BusyMessage(port, device, reason, FindPortHolder(device)));
#endif
        default:
            return Text(OpenFailureMessage(port, device, reason));
    }
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

// QSerialPort words a failed read with whatever errno held before (a hang-up reads no error
// at all), so the system is asked again.
QString SerialLink::ReadFailure() const {
#ifdef Q_OS_UNIX
    const std::string reason = ReadFailureReason(port_.handle(), Local(device_));
    if (!reason.empty()) {
        return Text(reason);
    }
#endif
    const QString text = port_.errorString();
    return text.isEmpty() || text == QStringLiteral("Unknown error")
               ? QStringLiteral("reading from the device failed, and the system gave no reason")
               : text;
}

void SerialLink::OnError(QSerialPort::SerialPortError error) {
    // The first failure is the one to report: QSerialPort repeats it while the port stays open.
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !port_.isOpen() ||
        !failure_.isEmpty()) {
        return;
    }
    failure_ = ReadFailure();
    stop_ = Stop::Failed;
    emit waitEnded();
}

}  // namespace rv7342

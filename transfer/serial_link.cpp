#include "transfer/serial_link.h"

#include <QSerialPortInfo>

#include <utility>

#include "desktop/local_text.h"
#include "ports/port_messages.h"

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <cerrno>

#include "ports/port_system.h"
#endif

namespace rv7342 {

namespace {

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

// A port by the name its users know: its device on POSIX, its COM name on Windows (which
// QSerialPort opens as well as the system's \\.\COMn).
QString DeviceName(const QSerialPortInfo& info) {
#ifdef Q_OS_WIN
    return info.portName();
#else
    return info.systemLocation();
#endif
}

}  // namespace

std::vector<MachinePort> MachinePorts() {
    std::vector<MachinePort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        MachinePort port{ToLocalText(DeviceName(info)),
                         ToLocalText(info.description()),
                         ToLocalText(info.manufacturer()),
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
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::bytesWaiting);
    lineWatch_.setInterval(200);
    connect(&lineWatch_, &QTimer::timeout, this, &SerialLink::WatchLine);
}

void SerialLink::NameDevice(int port, const std::string& device) {
    named_.at(port - 1) = device;
}

PortChoice SerialLink::CurrentChoice() const {
    return ChoiceFrom(listPorts_());
}

PortChoice SerialLink::ChoiceFrom(const std::vector<MachinePort>& ports) const {
#ifdef Q_OS_WIN
    // The system's own COM1 and COM2, described where the system lists them.
    PortChoice choice;
    for (int port = 1; port <= 2; ++port) {
        const std::string& named = named_[port - 1];
        const std::string name = named.empty() ? ComName(port) : named;
        choice.com[port - 1] = MachinePort{name, {}, {}, {}, {}, false};
        choice.overridden[port - 1] = !named.empty();
        for (const MachinePort& listed : ports) {
            if (listed.device == name) {
                choice.com[port - 1] = listed;
            }
        }
    }
    return choice;
#else
    std::array<std::string, 2> overrides = named_;
    for (int port = 1; port <= 2; ++port) {
        if (overrides[port - 1].empty()) {
            overrides[port - 1] = qEnvironmentVariable(port == 1 ? "RV7342_COM1" : "RV7342_COM2")
                                      .toLocal8Bit()
                                      .toStdString();
        }
    }
    return ChoosePorts(ports, overrides);
#endif
}

std::optional<QString> SerialLink::OpenCommPort(int port) {
    failure_.clear();
    const std::vector<MachinePort> ports = listPorts_();
    const PortChoice choice = ChoiceFrom(ports);
    emit portsChosen(choice);
    if (!choice.For(port)) {
        return FromLocalText(NoPortMessage(port, choice, ports));
    }
    device_ = FromLocalText(choice.For(port)->device);
    port_.setPortName(device_);
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setParity(QSerialPort::NoParity);
    port_.setDataBits(QSerialPort::Data8);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadOnly)) {
        return OpenFailure(port, choice, ports);
    }
    SetModemLines();
#ifdef Q_OS_UNIX
    lineWatch_.start();
#endif
    return std::nullopt;
}

// Data Terminal Ready on and Request To Send off while the port is open, as optically isolated
// meter cables need them: they draw their positive supply from DTR and their negative one from
// RTS. A device without modem lines (a pseudo-terminal) refuses both; it is left as it is.
void SerialLink::SetModemLines() {
    settingModemLines_ = true;
    (void)port_.setDataTerminalReady(true);
    (void)port_.setRequestToSend(false);
    settingModemLines_ = false;
    port_.clearError();
}

QString SerialLink::OpenFailure(int port, const PortChoice& choice,
                                const std::vector<MachinePort>& ports) const {
    const std::string device = choice.For(port)->device;
    const std::string reason = ToLocalText(port_.errorString());
    switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError:
            return FromLocalText(MissingDeviceMessage(port, device, reason, choice, ports));
#ifdef Q_OS_UNIX
        case QSerialPort::PermissionError:
            return FromLocalText(
                PermissionDenied(device)
                    ? PermissionMessage(port, device, reason, ReadDeviceAccess(device))
                    : BusyMessage(port, device, reason, FindPortHolder(device)));
#elif defined(Q_OS_WIN)
        case QSerialPort::PermissionError:  // "Access is denied": another program holds it
            return FromLocalText(BusyMessage(port, device, reason, std::nullopt));
#endif
        default:
            return FromLocalText(OpenFailureMessage(port, device, reason));
    }
}

std::optional<std::uint8_t> SerialLink::ReadCommByte() {
    char byte = 0;
    if (port_.isOpen() && port_.getChar(&byte)) {
        return static_cast<std::uint8_t>(byte);
    }
    return std::nullopt;
}

void SerialLink::CloseCommPort() {
    lineWatch_.stop();
    port_.close();
}

// QSerialPort words a failed read with whatever errno held before (a hang-up reads no error
// at all), so the system is asked again.
QString SerialLink::ReadFailure() const {
#ifdef Q_OS_UNIX
    const std::string reason = ReadFailureReason(port_.handle(), ToLocalText(device_));
    if (!reason.empty()) {
        return FromLocalText(reason);
    }
#endif
    const QString text = port_.errorString();
    return text.isEmpty() || text == QStringLiteral("Unknown error")
               ? QStringLiteral("reading from the device failed, and the system gave no reason")
               : text;
}

void SerialLink::OnError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !port_.isOpen() ||
        settingModemLines_) {
        return;
    }
    Fail();
}

// A line that has ended fails the link whether or not QSerialPort says so: Qt 6.4 reports a
// hang-up as a read error, Qt 6.8 reads it as the end of the data and reports nothing.
void SerialLink::WatchLine() {
#ifdef Q_OS_UNIX
    if (port_.isOpen() && LineEnded(port_.handle())) {
        Fail();
    }
#endif
}

// The first failure is the one to report: QSerialPort repeats it while the port stays open.
void SerialLink::Fail() {
    if (!failure_.isEmpty()) {
        return;
    }
    lineWatch_.stop();
    failure_ = ReadFailure();
    emit failed();
}

}  // namespace rv7342

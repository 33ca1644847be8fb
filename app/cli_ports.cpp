// rv7342-cli ports: what the window's port tooltips tell, for every serial port of the machine.

#include <cstdio>

#include "app/cli.h"
#include "ports/port_messages.h"
#include "transfer/serial_link.h"

namespace rv7342::cli {

int Ports(const QStringList& arguments) {
    QCommandLineParser parser;
    Describe(parser, QStringLiteral("ports"),
             QStringLiteral(
                 "Lists what COM1 and COM2 stand for, then the machine's other serial ports."));
    if (const std::optional<int> status = Parse(parser, arguments, 0)) {
        return *status;
    }
    const std::vector<MachinePort> ports = MachinePorts();
    const PortChoice choice = SerialLink().CurrentChoice();
    for (int port = 1; port <= 2; ++port) {
        std::printf("%s\n", PortToolTip(port, choice).c_str());
    }
    for (const MachinePort& port : InChoiceOrder(ports)) {
        if (choice.ComOf(port.device) == 0) {
            std::printf("neither: %s\n", DescribePort(port).c_str());
        }
    }
    return kDone;
}

}  // namespace rv7342::cli

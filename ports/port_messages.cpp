#include "ports/port_messages.h"

#include <cstdio>

namespace rv7342 {

namespace {

std::string Hex4(std::uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    return text;
}

// The system's reason ends the sentence; Windows' reasons bring their own full stop.
std::string Head(int port, const std::string& device, const std::string& reason) {
    const bool stopped = !reason.empty() && reason.back() == '.';
    return "Cannot open " + ComName(port) + " (" + device + "): " + reason + (stopped ? "" : ".");
}

#ifdef _WIN32
const char kNeitherCom[] = "neither COM1 nor COM2; give it COM2's number in Device Manager";
#else
const char kNeitherCom[] = "neither COM1 nor COM2; name it in RV7342_COM1 or RV7342_COM2";
#endif

std::string PortLine(const MachinePort& port, const PortChoice& choice) {
    const int com = choice.ComOf(port.device);
    const std::string role = com != 0 ? ComName(com) : kNeitherCom;
    return "    " + DescribePort(port) + " (" + role + ")\n";
}

// The machine's ports with the COM each stands for, and what to do where none is there.
std::string MachinePortList(const std::vector<MachinePort>& machinePorts,
                            const PortChoice& choice) {
    if (machinePorts.empty()) {
        return "This computer has no serial port. Plug in the meter's cable or its USB serial "
               "adapter, then press Start again. If a USB adapter is plugged in and still does "
               "not appear, another service may have claimed it (on some desktops the braille "
               "display service brltty does).";
    }
    std::string list = "The serial ports of this computer:\n\n";
    for (const MachinePort& port : InChoiceOrder(machinePorts)) {
        list += PortLine(port, choice);
    }
    return list +
           "\nChoose the COM that stands for the meter's cable, or plug in its USB serial "
           "adapter, then press Start again.";
}

}  // namespace

std::string ComName(int port) {
    return "COM" + std::to_string(port);
}

std::string DescribePort(const MachinePort& port) {
    std::string text = port.device;
    if (!port.description.empty()) {
        text += ", " + port.description;
    }
    if (!port.manufacturer.empty()) {
        text +=
            port.description.empty() ? ", " + port.manufacturer : " (" + port.manufacturer + ")";
    }
    if (port.vendorId && port.productId) {
        text += ", USB " + Hex4(*port.vendorId) + ":" + Hex4(*port.productId);
    }
    return text;
}

std::string PortToolTip(int port, const PortChoice& choice) {
    const std::optional<MachinePort>& behind = choice.For(port);
    if (!behind) {
        return ComName(port) + ": no serial port stands behind it";
    }
    std::string tip = ComName(port) + ": " + DescribePort(*behind);
    if (choice.overridden.at(port - 1)) {
        tip += " (set by RV7342_" + ComName(port) + ")";
    }
    return tip;
}

std::string NoPortMessage(int port, const PortChoice& choice,
                          const std::vector<MachinePort>& machinePorts) {
    return "Cannot open " + ComName(port) + ": no serial port stands behind it.\n\n" +
           MachinePortList(machinePorts, choice);
}

std::string MissingDeviceMessage(int port, const std::string& device, const std::string& reason,
                                 const PortChoice& choice,
                                 const std::vector<MachinePort>& machinePorts) {
    return Head(port, device, reason) + "\n\nThere is no such serial device. " +
           MachinePortList(machinePorts, choice);
}

std::string PermissionMessage(int port, const std::string& device, const std::string& reason,
                              const DeviceAccess& access) {
    const std::string head = Head(port, device, reason) + "\n\n";
    const bool groupHelps =
        access.groupMayReadWrite && !access.group.empty() && access.group != "root";
    if (groupHelps && !access.inGroup && access.listedInGroup) {
        return head + "You are a member of the group \"" + access.group +
               "\", which may use this device, but this session started before you joined it. "
               "Log out and in again, then press Start again.";
    }
    if (groupHelps && !access.inGroup) {
        return head + "You have no permission to use this serial device. Members of the group \"" +
               access.group + "\" may use it; add yourself to that group with\n\n" +
               "    sudo usermod -aG " + access.group + " $USER\n\n" + "then log out and in again.";
    }
    const std::string owner = access.owner.empty() ? "" : " (owner: " + access.owner + ")";
    return head + "You have no permission to use this serial device" + owner +
           ", and no group you could join may use it. The administrator must grant you access to " +
           device + ".";
}

std::string BusyMessage(int port, const std::string& device, const std::string& reason,
                        const std::optional<PortHolder>& holder) {
    std::string text = Head(port, device, reason) + "\n\n";
    if (!holder) {
        return text +
               "Another program is using the port. Close it, then press Start again. "
               "Right after an adapter is plugged in, the system may probe it for a few "
               "seconds; wait and press Start again.";
    }
    const std::string program = holder->program.empty() ? "a program" : holder->program;
    return text + "The port is in use by " + program + " (process " + std::to_string(holder->pid) +
           "). Close that program, then press Start again.";
}

std::string OpenFailureMessage(int port, const std::string& device, const std::string& reason) {
    return Head(port, device, reason);
}

}  // namespace rv7342

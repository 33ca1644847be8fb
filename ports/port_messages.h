#pragma once
// The texts that tell the user what COM1 and COM2 stand for and why a port could not be used,
// each naming the port, its full device path and the system's reason, and saying what to do.

#include <optional>
#include <string>
#include <vector>

#include "ports/port_choice.h"

namespace rv7342 {

// Who may open a device file, and where this user stands.
struct DeviceAccess {
    std::string owner;               // the owning user; empty when it cannot be told
    std::string group;               // the owning group; empty when it cannot be told
    bool groupMayReadWrite = false;  // the device's mode grants its group read and write access
    bool inGroup = false;            // this program already runs with that group
    bool listedInGroup = false;      // the user is a member in the group list, e.g. joined since
                                     // logging in
};

// The program that holds a port.
struct PortHolder {
    long pid = 0;
    std::string program;  // its name as the process list shows it; empty when unknown
};

// "COM2" for 2.
std::string ComName(int port);
// "/dev/ttyUSB0, FT232R USB UART (FTDI), USB 0403:6001": the device and whatever is known of it.
std::string DescribePort(const MachinePort& port);
// "COM2: /dev/ttyUSB0, FT232R USB UART (FTDI), USB 0403:6001", or that no port stands behind it.
std::string PortToolTip(int port, const PortChoice& choice);

// Start on a COM that has no serial port behind it: the machine's ports and their COMs.
std::string NoPortMessage(int port, const PortChoice& choice,
                          const std::vector<MachinePort>& machinePorts);
// The device does not exist (any more): the same list of the machine's ports.
std::string MissingDeviceMessage(int port, const std::string& device, const std::string& reason,
                                 const PortChoice& choice,
                                 const std::vector<MachinePort>& machinePorts);
// The user may not open the device. Joining a group is advised only where it would help: the
// group may read and write the device and is not root.
std::string PermissionMessage(int port, const std::string& device, const std::string& reason,
                              const DeviceAccess& access);
// Another program holds the port; it is named where it can be told.
std::string BusyMessage(int port, const std::string& device, const std::string& reason,
                        const std::optional<PortHolder>& holder);
// Any other failure to open.
std::string OpenFailureMessage(int port, const std::string& device, const std::string& reason);

}  // namespace rv7342

#pragma once
// Which of the machine's serial ports COM1 and COM2 stand for. The choice depends on the list
// of ports alone, so that an adapter plugged in later is found at the next look and every rule
// can be tried on lists made up for the purpose.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rv7342 {

// One serial port as the system lists it.
struct MachinePort {
    std::string device;        // full path, "/dev/ttyUSB0"
    std::string description;   // "FT232R USB UART"; may be empty
    std::string manufacturer;  // "FTDI"; may be empty
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> productId;
    bool usb = false;  // a USB serial adapter rather than a port built into the machine
};

struct PortChoice {
    // What COM1 and COM2 stand for; no value where no port does.
    std::array<std::optional<MachinePort>, 2> com;
    // Set where RV7342_COM1 or RV7342_COM2 named the device.
    std::array<bool, 2> overridden{};

    // `port` is 1 or 2.
    const std::optional<MachinePort>& For(int port) const { return com.at(port - 1); }
    // 1 or 2 for the COM a device stands for, 0 for neither.
    int ComOf(const std::string& device) const;
};

// COM1 is the first built-in port. COM2 is the first USB adapter, or the second built-in port
// where there is no adapter. A port left over then fills a COM that has none. `overrides` are
// the devices named by RV7342_COM1 and RV7342_COM2 (empty where unset); they win, and the
// ports they name take no further part. Ports are taken in the natural order of their names
// (ttyS2 before ttyS10).
PortChoice ChoosePorts(std::vector<MachinePort> ports, const std::array<std::string, 2>& overrides);

// A port named on the command line: COM1 or COM2 as chosen (empty `device`), or a device that
// COM2 then stands for.
struct PortArgument {
    int port = 2;
    std::string device;
};
// COM1 and COM2 in any case; on Windows also COMn and \\.\COMn (the device "COMn"), on POSIX
// a device path from the root. No value for anything else.
std::optional<PortArgument> ParsePortArgument(const std::string& value);
// The forms ParsePortArgument takes on this system, for help and usage messages.
extern const char kPortArgumentForms[];

// Ports sorted as ChoosePorts takes them: built-in ones first, each kind by name.
std::vector<MachinePort> InChoiceOrder(std::vector<MachinePort> ports);

}  // namespace rv7342

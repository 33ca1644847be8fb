#include "ports/port_choice.h"

#include <algorithm>
#include <cctype>
#include <tuple>
#include <utility>

namespace rv7342 {

namespace {

// "/dev/ttyS10" splits into "/dev/ttyS" and 10, so that ttyS2 sorts before ttyS10.
std::pair<std::string, unsigned long long> NameAndNumber(const std::string& device) {
    std::size_t digits = device.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(device[digits - 1]))) {
        --digits;
    }
    const std::string number = device.substr(digits);
    // At most 18 digits are read: enough for any device number, never an overflow.
    const unsigned long long value =
        number.empty() ? 0
                       : std::stoull(number.substr(0, std::min<std::size_t>(18, number.size())));
    return {device.substr(0, digits), value};
}

bool ChoiceOrder(const MachinePort& a, const MachinePort& b) {
    return std::make_tuple(a.usb, NameAndNumber(a.device), a.device) <
           std::make_tuple(b.usb, NameAndNumber(b.device), b.device);
}

// Takes the first port of the wanted kind out of `pool`.
std::optional<MachinePort> Take(std::vector<MachinePort>& pool, bool usb) {
    const auto found = std::find_if(pool.begin(), pool.end(),
                                    [usb](const MachinePort& port) { return port.usb == usb; });
    if (found == pool.end()) {
        return std::nullopt;
    }
    MachinePort port = *found;
    pool.erase(found);
    return port;
}

MachinePort Named(std::vector<MachinePort>& pool, const std::string& device) {
    const auto found = std::find_if(pool.begin(), pool.end(), [&device](const MachinePort& port) {
        return port.device == device;
    });
    if (found == pool.end()) {
        return MachinePort{device, {}, {}, {}, {}, false};
    }
    MachinePort port = *found;
    pool.erase(found);
    return port;
}

}  // namespace

int PortChoice::ComOf(const std::string& device) const {
    for (int port = 1; port <= 2; ++port) {
        if (For(port) && For(port)->device == device) {
            return port;
        }
    }
    return 0;
}

std::vector<MachinePort> InChoiceOrder(std::vector<MachinePort> ports) {
    std::sort(ports.begin(), ports.end(), ChoiceOrder);
    return ports;
}

PortChoice ChoosePorts(std::vector<MachinePort> ports,
                       const std::array<std::string, 2>& overrides) {
    std::vector<MachinePort> pool = InChoiceOrder(std::move(ports));
    PortChoice choice;
    for (int index = 0; index < 2; ++index) {
        if (!overrides[index].empty()) {
            choice.com[index] = Named(pool, overrides[index]);
            choice.overridden[index] = true;
        }
    }
    if (!choice.overridden[0]) {
        choice.com[0] = Take(pool, false);
    }
    if (!choice.overridden[1]) {
        choice.com[1] = Take(pool, true);
        if (!choice.com[1]) {
            choice.com[1] = Take(pool, false);
        }
    }
    for (auto& com : choice.com) {
        if (!com && !pool.empty()) {
            com = pool.front();
            pool.erase(pool.begin());
        }
    }
    return choice;
}

#ifdef _WIN32
const char kPortArgumentForms[] = "COM1, COM2, another COM such as COM7, or \\\\.\\COM12";
#else
const char kPortArgumentForms[] = "COM1, COM2 or a device path such as /dev/ttyUSB0";
#endif

namespace {

bool IsComName(const std::string& value, int& number) {
    if (value.size() < 4 || value.size() > 6 || value[3] == '0') {
        return false;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (i < 3 ? std::toupper(c) != "COM"[i] : !std::isdigit(c)) {
            return false;
        }
    }
    number = std::stoi(value.substr(3));
    return number <= 256;
}

}  // namespace

std::optional<PortArgument> ParsePortArgument(const std::string& value) {
    int number = 0;
#ifdef _WIN32
    // The system's own name for a port, needed by some programs from COM10 on.
    const std::string devicePrefix = "\\\\.\\";
    const std::string name = value.compare(0, devicePrefix.size(), devicePrefix) == 0
                                 ? value.substr(devicePrefix.size())
                                 : value;
    if (IsComName(name, number)) {
        if (number <= 2) {
            return PortArgument{number, {}};
        }
        return PortArgument{2, "COM" + std::to_string(number)};
    }
#else
    if (IsComName(value, number) && number <= 2) {
        return PortArgument{number, {}};
    }
    if (!value.empty() && value.front() == '/') {
        return PortArgument{2, value};
    }
#endif
    return std::nullopt;
}

}  // namespace rv7342

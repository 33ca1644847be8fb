#include "ports/port_choice.h"

#include <gtest/gtest.h>

namespace rv7342 {
namespace {

// Ports and overrides are named without their "/dev/"; "" is no port, or no override.
MachinePort BuiltIn(const std::string& name) {
    return {"/dev/" + name, {}, {}, {}, {}, false};
}

MachinePort Adapter(const std::string& name) {
    return {"/dev/" + name, "FT232R USB UART", "FTDI", 0x0403, 0x6001, true};
}

std::string Device(const std::string& name) {
    return name.empty() ? "" : "/dev/" + name;
}

std::string DeviceOf(const PortChoice& choice, int port) {
    return choice.For(port) ? choice.For(port)->device : "";
}

struct Case {
    const char* setUp;
    std::vector<MachinePort> ports;
    std::string com1;
    std::string com2;
    std::array<std::string, 2> overrides{};  // RV7342_COM1 and RV7342_COM2
};

// The adapter goes on COM2; a device named in the environment wins and leaves the rule.
TEST(ChoosePorts, CommonSetUpsPutTheAdapterOnCom2AndAnOverrideWins) {
    const std::vector<MachinePort> desktop = {BuiltIn("ttyS0"), Adapter("ttyUSB0")};
    const std::vector<Case> cases = {
        {"no port", {}, "", ""},
        {"laptop with one USB adapter", {Adapter("ttyUSB0")}, "", "ttyUSB0"},
        {"built-in and adapter", {Adapter("ttyUSB0"), BuiltIn("ttyS0")}, "ttyS0", "ttyUSB0"},
        {"two adapters", {Adapter("ttyUSB1"), Adapter("ttyUSB0")}, "ttyUSB1", "ttyUSB0"},
        {"two built-in ports", {BuiltIn("ttyS1"), BuiltIn("ttyS0")}, "ttyS0", "ttyS1"},
        {"one built-in port", {BuiltIn("ttyS0")}, "ttyS0", ""},
        // Three ports: the second built-in one is left over.
        {"three", {BuiltIn("ttyS1"), Adapter("ttyACM0"), BuiltIn("ttyS0")}, "ttyS0", "ttyACM0"},
        {"numbers sort as numbers", {BuiltIn("ttyS10"), BuiltIn("ttyS2")}, "ttyS2", "ttyS10"},
        {"COM2 names a device not listed", desktop, "ttyS0", "pts/3", {"", "pts/3"}},
        {"COM1 names the adapter", desktop, "ttyUSB0", "ttyS0", {"ttyUSB0", ""}},
        {"both name one device", desktop, "ttyUSB0", "ttyUSB0", {"ttyUSB0", "ttyUSB0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setUp);
        const PortChoice choice =
            ChoosePorts(c.ports, {Device(c.overrides[0]), Device(c.overrides[1])});
        EXPECT_EQ(DeviceOf(choice, 1), Device(c.com1));
        EXPECT_EQ(DeviceOf(choice, 2), Device(c.com2));
        EXPECT_EQ(choice.overridden[0], !c.overrides[0].empty());
        EXPECT_EQ(choice.overridden[1], !c.overrides[1].empty());
    }
    // A listed device named in the environment keeps what the system says of it.
    const PortChoice named = ChoosePorts(desktop, {"/dev/ttyUSB0", ""});
    EXPECT_EQ(named.For(1).value_or(MachinePort{}).manufacturer, "FTDI");
}

// --port as each system names its ports: COM1 and COM2 as chosen; on Windows any COM by its
// name or its device name (needed from COM10 on), on POSIX a device path.
TEST(ParsePortArgument, TakesThePortNamesOfTheSystem) {
    struct Case {
        const char* argument;
        std::optional<PortArgument> expected;
    };
    const Case cases[] = {
        {"COM1", PortArgument{1, ""}},
        {"com2", PortArgument{2, ""}},
        {"COM0", std::nullopt},
        {"COM02", std::nullopt},
        {"COM", std::nullopt},
        {"COM2x", std::nullopt},
        {"", std::nullopt},
        {"ttyUSB0", std::nullopt},
#ifdef _WIN32
        {"COM7", PortArgument{2, "COM7"}},
        {"\\\\.\\COM12", PortArgument{2, "COM12"}},
        {"\\\\.\\com2", PortArgument{2, ""}},
        {"COM256", PortArgument{2, "COM256"}},
        {"COM257", std::nullopt},
        {"\\\\.\\", std::nullopt},
        {"/dev/ttyUSB0", std::nullopt},
#else
        {"COM7", std::nullopt},
        {"/dev/ttyUSB0", PortArgument{2, "/dev/ttyUSB0"}},
        {"\\\\.\\COM12", std::nullopt},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        const std::optional<PortArgument> parsed = ParsePortArgument(c.argument);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value());
        if (parsed) {
            EXPECT_EQ(parsed->port, c.expected->port);
            EXPECT_EQ(parsed->device, c.expected->device);
        }
    }
}

}  // namespace
}  // namespace rv7342

#include "transfer/port_choice.h"

#include <gtest/gtest.h>

namespace rv7342 {
namespace {

MachinePort BuiltIn(const std::string& device) {
    return {device, {}, {}, {}, {}, false};
}

MachinePort Adapter(const std::string& device) {
    return {device, "FT232R USB UART", "FTDI", 0x0403, 0x6001, true};
}

std::string DeviceOf(const PortChoice& choice, int port) {
    return choice.For(port) ? choice.For(port)->device : "(none)";
}

struct Case {
    const char* setUp;
    std::vector<MachinePort> ports;
    std::string com1;
    std::string com2;
};

TEST(ChoosePorts, CommonSetUpsPutTheAdapterOnCom2) {
    const std::vector<Case> cases = {
        {"no port", {}, "(none)", "(none)"},
        {"laptop with one USB adapter", {Adapter("/dev/ttyUSB0")}, "(none)", "/dev/ttyUSB0"},
        {"desktop with a built-in port and an adapter",
         {Adapter("/dev/ttyUSB0"), BuiltIn("/dev/ttyS0")},
         "/dev/ttyS0",
         "/dev/ttyUSB0"},
        {"two adapters",
         {Adapter("/dev/ttyUSB1"), Adapter("/dev/ttyUSB0")},
         "/dev/ttyUSB1",
         "/dev/ttyUSB0"},
        {"two built-in ports",
         {BuiltIn("/dev/ttyS1"), BuiltIn("/dev/ttyS0")},
         "/dev/ttyS0",
         "/dev/ttyS1"},
        {"one built-in port", {BuiltIn("/dev/ttyS0")}, "/dev/ttyS0", "(none)"},
        {"three ports: the second built-in one is left over",
         {BuiltIn("/dev/ttyS1"), Adapter("/dev/ttyACM0"), BuiltIn("/dev/ttyS0")},
         "/dev/ttyS0",
         "/dev/ttyACM0"},
        {"numbers sort as numbers",
         {BuiltIn("/dev/ttyS10"), BuiltIn("/dev/ttyS2")},
         "/dev/ttyS2",
         "/dev/ttyS10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setUp);
        const PortChoice choice = ChoosePorts(c.ports, {"", ""});
        EXPECT_EQ(DeviceOf(choice, 1), c.com1);
        EXPECT_EQ(DeviceOf(choice, 2), c.com2);
        EXPECT_FALSE(choice.overridden[0] || choice.overridden[1]);
    }
}

TEST(ChoosePorts, KeepsWhatTheSystemSaysOfThePort) {
    const PortChoice choice = ChoosePorts({BuiltIn("/dev/ttyS0"), Adapter("/dev/ttyUSB0")}, {});
    ASSERT_TRUE(choice.For(2));
    EXPECT_EQ(choice.For(2)->description, "FT232R USB UART");
    EXPECT_EQ(choice.For(2)->vendorId, 0x0403);
    EXPECT_EQ(choice.ComOf("/dev/ttyUSB0"), 2);
    EXPECT_EQ(choice.ComOf("/dev/ttyS0"), 1);
    EXPECT_EQ(choice.ComOf("/dev/ttyS1"), 0);
}

TEST(ChoosePorts, AnOverrideWinsAndTakesItsPortOutOfTheRule) {
    const std::vector<MachinePort> ports = {BuiltIn("/dev/ttyS0"), Adapter("/dev/ttyUSB0")};
    {
        SCOPED_TRACE("COM2 named: a device the list does not hold");
        const PortChoice choice = ChoosePorts(ports, {"", "/dev/pts/3"});
        EXPECT_EQ(DeviceOf(choice, 2), "/dev/pts/3");
        EXPECT_TRUE(choice.overridden[1]);
        EXPECT_EQ(DeviceOf(choice, 1), "/dev/ttyS0");
        EXPECT_FALSE(choice.overridden[0]);
    }
    {
        SCOPED_TRACE("COM1 named: the adapter, described as listed; COM2 takes the port left");
        const PortChoice choice = ChoosePorts(ports, {"/dev/ttyUSB0", ""});
        EXPECT_EQ(DeviceOf(choice, 1), "/dev/ttyUSB0");
        EXPECT_EQ(choice.For(1)->manufacturer, "FTDI");
        EXPECT_EQ(DeviceOf(choice, 2), "/dev/ttyS0");
    }
    {
        SCOPED_TRACE("both named: the same device may stand for both");
        const PortChoice choice = ChoosePorts(ports, {"/dev/ttyUSB0", "/dev/ttyUSB0"});
        EXPECT_EQ(DeviceOf(choice, 1), "/dev/ttyUSB0");
        EXPECT_EQ(DeviceOf(choice, 2), "/dev/ttyUSB0");
    }
}

}  // namespace
}  // namespace rv7342

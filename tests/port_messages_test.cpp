#include "ports/port_messages.h"

#include <gtest/gtest.h>

#include "tests/text_contains.h"

namespace rv7342 {
namespace {

const MachinePort kFtdi{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", 0x0403, 0x6001, true};
const MachinePort kBuiltIn{"/dev/ttyS0", {}, {}, {}, {}, false};

TEST(DescribePort, LeavesOutWhatIsNotKnown) {
    EXPECT_EQ(DescribePort({"/dev/ttyACM0", {}, "Arduino", 0x2341, 0x43, true}),
              "/dev/ttyACM0, Arduino, USB 2341:0043");
    EXPECT_EQ(DescribePort({"/dev/ttyUSB3", "USB Serial", {}, 0x1a86, {}, true}),
              "/dev/ttyUSB3, USB Serial");
    EXPECT_EQ(DescribePort(kBuiltIn), "/dev/ttyS0");
}

TEST(MissingDeviceMessage, ListsTheMachinesPortsWithTheirCom) {
    const std::vector<MachinePort> ports = {{"/dev/ttyS1", {}, {}, {}, {}, false}, kBuiltIn, kFtdi};
    const PortChoice choice = ChoosePorts(ports, {"", "/dev/rv7342-absent"});
    const std::string message =
        MissingDeviceMessage(2, "/dev/rv7342-absent", "No such file or directory", choice, ports);
    EXPECT_TRUE(Contains(message,
                         "Cannot open COM2 (/dev/rv7342-absent): No such file or "
                         "directory."));
    EXPECT_TRUE(Contains(message, "/dev/ttyS0 (COM1)"));
#ifdef _WIN32
    const std::string advice = "give it COM2's number in Device Manager";
#else
    const std::string advice = "name it in RV7342_COM1 or RV7342_COM2";
#endif
    EXPECT_TRUE(Contains(message,
                         "/dev/ttyUSB0, FT232R USB UART (FTDI), USB 0403:6001 (neither COM1 nor "
                         "COM2; " +
                             advice + ")"));
    EXPECT_LT(message.find("/dev/ttyS0"), message.find("/dev/ttyS1"));
}

// The system's reason ends the first sentence once, whether it brings its full stop (as
// Windows' do) or not. A busy port whose holder is not found (a holder found is named end to end
// in the window's test) is said to be another program's.
TEST(OpenFailureMessage, EndsTheReasonWithOneFullStop) {
    EXPECT_EQ(OpenFailureMessage(2, "COM5", "File not found."),
              "Cannot open COM2 (COM5): File not found.");
    EXPECT_EQ(OpenFailureMessage(1, "/dev/ttyS0", "Input/output error"),
              "Cannot open COM1 (/dev/ttyS0): Input/output error.");
    const std::string busy = BusyMessage(2, "/dev/ttyUSB0", "Device or resource busy", {});
    EXPECT_TRUE(Contains(busy, "Cannot open COM2 (/dev/ttyUSB0): Device or resource busy."));
    EXPECT_TRUE(Contains(busy, "Another program is using the port"));
}

struct PermissionCase {
    const char* situation;
    DeviceAccess access;
    const char* says;  // the only case that says "usermod" is the one that advises joining
};

TEST(PermissionMessage, AdvisesAGroupOnlyWhereJoiningItHelps) {
    const std::vector<PermissionCase> cases = {
        {"group may use it", {"root", "dialout", true, false, false}, "usermod -aG dialout $USER"},
        {"joined since logging in", {"root", "dialout", true, false, true}, "Log out and in again"},
        {"owner only", {"root", "dialout", false, false, false}, "administrator"},
        {"group root", {"root", "root", true, false, false}, "administrator"},
        {"already in the group", {"root", "dialout", true, true, true}, "administrator"},
        {"owner and group unknown", {}, "administrator"},
    };
    for (const PermissionCase& c : cases) {
        SCOPED_TRACE(c.situation);
        const std::string message =
            PermissionMessage(1, "/dev/ttyUSB0", "Permission denied", c.access);
        EXPECT_TRUE(Contains(message, "Cannot open COM1 (/dev/ttyUSB0): Permission denied."));
        EXPECT_TRUE(Contains(message, c.says));
        EXPECT_EQ(bool(Contains(message, "usermod")), bool(Contains(c.says, "usermod")));
    }
}

}  // namespace
}  // namespace rv7342

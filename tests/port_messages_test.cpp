#include "transfer/port_messages.h"

#include <gtest/gtest.h>

#include "tests/text_contains.h"

namespace rv7342 {
namespace {

const MachinePort kFtdi{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", 0x0403, 0x6001, true};
const MachinePort kBuiltIn{"/dev/ttyS0", {}, {}, {}, {}, false};
const MachinePort kSecondBuiltIn{"/dev/ttyS1", {}, {}, {}, {}, false};

TEST(PortToolTip, TellsWhatEachComStandsFor) {
    const PortChoice choice = ChoosePorts({kBuiltIn, kFtdi}, {});
    EXPECT_EQ(PortToolTip(2, choice), "COM2: /dev/ttyUSB0, FT232R USB UART (FTDI), USB 0403:6001");
    EXPECT_EQ(PortToolTip(1, choice), "COM1: /dev/ttyS0");
    EXPECT_EQ(PortToolTip(2, ChoosePorts({}, {})), "COM2: no serial port stands behind it");
    EXPECT_EQ(PortToolTip(2, ChoosePorts({}, {"", "/dev/pts/3"})),
              "COM2: /dev/pts/3 (set by RV7342_COM2)");
}

TEST(DescribePort, LeavesOutWhatIsNotKnown) {
    EXPECT_EQ(DescribePort({"/dev/ttyACM0", {}, "Arduino", 0x2341, 0x43, true}),
              "/dev/ttyACM0, Arduino, USB 2341:0043");
    EXPECT_EQ(DescribePort({"/dev/ttyUSB3", "USB Serial", {}, 0x1a86, {}, true}),
              "/dev/ttyUSB3, USB Serial");
}

TEST(MissingDeviceMessage, ListsTheMachinesPortsWithTheirCom) {
    const std::vector<MachinePort> ports = {kSecondBuiltIn, kBuiltIn, kFtdi};
    const PortChoice choice = ChoosePorts(ports, {"", "/dev/rv7342-absent"});
    const std::string message =
        MissingDeviceMessage(2, "/dev/rv7342-absent", "No such file or directory", choice, ports);
    EXPECT_TRUE(Contains(message,
                         "Cannot open COM2 (/dev/rv7342-absent): No such file or "
                         "directory."));
    EXPECT_TRUE(Contains(message, "/dev/ttyS0 (COM1)"));
    EXPECT_TRUE(Contains(message,
                         "/dev/ttyUSB0, FT232R USB UART (FTDI), USB 0403:6001 (neither COM1 nor "
                         "COM2; name it in RV7342_COM1 or RV7342_COM2)"));
    EXPECT_LT(message.find("/dev/ttyS0"), message.find("/dev/ttyS1"));
}

TEST(NoPortMessage, OnAMachineWithoutPortsSaysWhatToDo) {
    const std::string message = NoPortMessage(2, ChoosePorts({}, {}), {});
    EXPECT_TRUE(Contains(message, "This computer has no serial port"));
    EXPECT_TRUE(Contains(message, "brltty"));
}

struct PermissionCase {
    const char* situation;
    DeviceAccess access;
    bool advisesJoining;
    const char* says;
};

TEST(PermissionMessage, AdvisesAGroupOnlyWhereJoiningItHelps) {
    const std::vector<PermissionCase> cases = {
        {"group may read and write",
         {"root", "dialout", true, false, false},
         true,
         "sudo usermod -aG dialout $USER"},
        {"joined since logging in",
         {"root", "dialout", true, false, true},
         false,
         "Log out and in again"},
        {"owner only", {"root", "dialout", false, false, false}, false, "administrator"},
        {"group root", {"root", "root", true, false, false}, false, "administrator"},
        {"already in the group", {"root", "dialout", true, true, true}, false, "administrator"},
        {"owner and group unknown", {}, false, "administrator"},
    };
    for (const PermissionCase& c : cases) {
        SCOPED_TRACE(c.situation);
        const std::string message =
            PermissionMessage(1, "/dev/ttyUSB0", "Permission denied", c.access);
        EXPECT_TRUE(Contains(message, "Cannot open COM1 (/dev/ttyUSB0): Permission denied."));
        EXPECT_TRUE(Contains(message, c.says));
        EXPECT_EQ(message.find("usermod") != std::string::npos, c.advisesJoining);
        EXPECT_FALSE(Contains(message, "-aG root"));
    }
}

TEST(BusyMessage, NamesTheProgramThatHoldsThePort) {
    EXPECT_TRUE(Contains(
        BusyMessage(2, "/dev/ttyUSB0", "Device or resource busy", PortHolder{4242, "minicom"}),
        "in use by minicom (process 4242). Close that program"));
    const std::string unknown = BusyMessage(2, "/dev/ttyUSB0", "Device or resource busy", {});
    EXPECT_TRUE(Contains(unknown, "Cannot open COM2 (/dev/ttyUSB0): Device or resource busy."));
    EXPECT_TRUE(Contains(unknown, "Another program is using the port"));
}

}  // namespace
}  // namespace rv7342

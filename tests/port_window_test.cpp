// Finding the meter's port from the window: the buttons' tooltips, an adapter plugged in after
// start-up, and the messages for a busy port and a refused one.

#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/child_process.h"
#include "tests/deadline.h"
#include "tests/download_fixture.h"
#include "tests/test_conditions.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

std::string ShownToolTip(QWidget* button) {
    QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), button->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(button, &event);
    return button->toolTip().toStdString();
}

// The window on a machine whose serial ports are `ports`, with no RV7342_COM variable set.
class PortWindow : public Download {
  protected:
    PortWindow() {
        environment.Remove("RV7342_COM1");
        environment.Remove("RV7342_COM2");
        window = OpenWindow([this] { return ports; });
        window->Text1->setText("run.dat");
    }

    std::string Message(std::size_t i) const { return boxes.seen.at(i).text.toStdString(); }
    bool Written() const { return std::filesystem::exists(dir.Path("run.dat")); }

    std::vector<MachinePort> ports;
};

TEST_F(PortWindow, AnAdapterPluggedInAfterStartUpIsReachedAtTheNextStart) {
    EXPECT_EQ(ShownToolTip(window->Option1[1]), "COM2: no serial port stands behind it");
    ClickStart();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(Contains(Message(0), "Cannot open COM2: no serial port stands behind it"));
    EXPECT_TRUE(Contains(Message(0), "This computer has no serial port"));
    EXPECT_TRUE(Contains(Message(0), "brltty"));
    EXPECT_FALSE(Written());

    // A built-in port alone leaves COM2 without one, and the message lists the machine's ports.
    ports = {{"/dev/ttyS0", {}, {}, {}, {}, false}};
    ClickStart();
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_TRUE(Contains(Message(1), "Cannot open COM2: no serial port stands behind it."));
    EXPECT_TRUE(Contains(Message(1), "\n    /dev/ttyS0 (COM1)\n"));

    ports.push_back({line.SlavePath(), "FT232R USB UART", "FTDI", 0x0403, 0x6001, true});
    EXPECT_EQ(ShownToolTip(window->Option1[1]),
              "COM2: " + line.SlavePath() + ", FT232R USB UART (FTDI), USB 0403:6001");
    EXPECT_EQ(ShownToolTip(window->Option1[0]), "COM1: /dev/ttyS0");
    SendWhenOpen(MemoryImage({kTwoValue}));
    ClickStart();
    EXPECT_EQ(window->Label1[2]->text(), "Data Transfer OK");
    EXPECT_EQ(dir.Read("run.dat"), "1,12.34,5,12.3,3\r\n");
    EXPECT_EQ(boxes.seen.size(), 2u);
}

TEST_F(PortWindow, ABusyPortNamesTheProgramThatHoldsIt) {
    environment.Set("RV7342_COM2", line.SlavePath());
    ChildProcess holder(RV7342_PORT_HELPER_PATH, {"hold"});
    ASSERT_TRUE(holder.WaitForError("holding", kEventDeadline)) << holder.Errors();
    ClickStart();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(Contains(Message(0), "Cannot open COM2 (" + line.SlavePath() + "): "));
    EXPECT_TRUE(Contains(Message(0), "in use by port_helper (process "));
    EXPECT_FALSE(Written());
}

// While the port is open, DTR is on and RTS off: optically isolated cables draw their supply
// from them. A pseudo-terminal has no modem lines and refuses both, so what is checked is
// what the port asked the system for, as the helper's own ioctl passes the requests on.
TEST_F(PortWindow, ThePortAsksForDtrOnAndRtsOff) {
    environment.Set("RV7342_COM2", line.SlavePath());
    ChildProcess opener(RV7342_PORT_HELPER_PATH, {"modem-lines"});
    ASSERT_EQ(opener.Wait(kEventDeadline), 0) << opener.Errors();
    EXPECT_EQ(opener.Errors(), "DTR on\nRTS off\nopen\n");
}

// A refused device tried from a window of the helper, which runs as "nobody". Only root can
// start a process as another user; for any other user the pseudo-terminal is their own.
TEST_F(PortWindow, ARefusedDeviceAdvisesJoiningItsGroupOnlyWhereThatHelps) {
    if (!RunningAsRoot()) {
        RV7342_SKIP_OUTSIDE_CI("trying the device as another user needs root");
    }
    const std::string& device = line.SlavePath();
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    for (const auto& [mode, advice] :
         {std::pair<mode_t, std::string>{0600, "The administrator must grant you access"},
          {0660, "sudo usermod -aG dialout $USER"}}) {
        SCOPED_TRACE(advice);
        ASSERT_EQ(::chmod(device.c_str(), mode), 0);
        ChildProcess window(RV7342_PORT_HELPER_PATH, {"start", dir.Path()},
                            {"RV7342_COM2=" + device, "HOME=" + dir.Path(),
                             "XDG_CONFIG_HOME=" + dir.Path(), "QT_QPA_PLATFORM=offscreen"});
        ASSERT_EQ(window.Wait(kEventDeadline), 0) << window.Errors();
        const std::string shown = window.Output();
        EXPECT_TRUE(Contains(shown, "Cannot open COM2 (" + device + "): "));
        EXPECT_TRUE(Contains(shown, advice));
        EXPECT_EQ(shown.find("usermod") != std::string::npos, mode == 0660) << shown;
        EXPECT_EQ(shown.rfind("[message]\n", 0), 0u) << shown;
        EXPECT_EQ(shown.find("[message]", 1), std::string::npos) << "one message: " << shown;
        EXPECT_FALSE(Written());
    }
}

}  // namespace
}  // namespace rv7342

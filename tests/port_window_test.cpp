// Finding the meter's port from the window: the buttons' tooltips, an adapter plugged in after
// start-up, and the messages for a busy port, a refused one and a connection lost.

#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/download_fixture.h"
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
        qunsetenv("RV7342_COM1");
        qunsetenv("RV7342_COM2");
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
    qputenv("RV7342_COM2", line.SlavePath().c_str());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {  // holds the port until killed; RV7342_COM2 names it, so no list is asked
        SerialLink link([] { return std::vector<MachinePort>{}; });
        const char opened = link.OpenCommPort(2) ? 'n' : 'y';
        (void)::write(ready[1], &opened, 1);
        ::pause();
        _exit(0);
    }
    ::close(ready[1]);
    char opened = 0;
    const bool holds = ::read(ready[0], &opened, 1) == 1 && opened == 'y';
    if (holds) {
        ClickStart();
    }
    ::close(ready[0]);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ASSERT_TRUE(holds) << "the child process could not open the port";
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(Contains(Message(0), "Cannot open COM2 (" + line.SlavePath() + "): "));
    EXPECT_TRUE(
        Contains(Message(0), "in use by window_tests (process " + std::to_string(holder) + ")"));
    EXPECT_FALSE(Written());
}

TEST_F(PortWindow, ALostConnectionNamesTheDevicePathAndTheSystemsReason) {
    qputenv("RV7342_COM2", line.SlavePath().c_str());
    Bytes oneRecord{13};  // the synchronising 13 and one frame: the transfer still waits
    SendWhenOpen(oneRecord += kTwoValue);
    AfterRecords(1, [this] { line.CloseMaster(); });
    ClickStart();
    ASSERT_EQ(boxes.seen.size(), 1u);
    // The slave's device file goes with its master, as an adapter's does when it is pulled.
    const std::string& device = line.SlavePath();
    EXPECT_TRUE(Contains(Message(0), "the connection to COM2 (" + device +
                                         ") was lost: the device hung up; " + device +
                                         " is gone (No such file or directory)."));
    EXPECT_EQ(dir.Read("run.dat"), "1,12.34,5,12.3,3\r\n");
}

// A refused device tried from a window in a child process that runs as "nobody". Only root
// can drop to another user; any other user owns the pseudo-terminal.
TEST_F(PortWindow, ARefusedDeviceAdvisesJoiningItsGroupOnlyWhereThatHelps) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to try the device as another user";
    }
    const std::string& device = line.SlavePath();
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    qputenv("RV7342_COM2", device.c_str());
    for (const auto& [mode, advice] :
         {std::pair<mode_t, std::string>{0600, "The administrator must grant you access"},
          {0660, "sudo usermod -aG dialout $USER"}}) {
        SCOPED_TRACE(advice);
        ASSERT_EQ(::chmod(device.c_str(), mode), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setgroups(0, nullptr) != 0 || ::setuid(65534) != 0) {
                _exit(2);
            }
            ClickStart();
            const std::string text = boxes.seen.size() == 1 ? Message(0) : "";
            const bool right =
                Contains(text, "Cannot open COM2 (" + device + "): ") && Contains(text, advice) &&
                (text.find("usermod") != std::string::npos) == (mode == 0660) && !Written();
            _exit(right ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
}

}  // namespace
}  // namespace rv7342

// Finding the meter's port from the window: the buttons' tooltips, an adapter plugged in after
// start-up, and the messages for a busy port, a refused one and a connection lost.

#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/meter_stream.h"
#include "tests/pseudo_terminal.h"
#include "tests/window_fixture.h"

namespace rv7342 {
namespace {

const Bytes kFrame = Frame("03051201231234");

// The synchronising 13 and one frame: one record, and the transfer still waiting.
Bytes OneRecord() {
    Bytes bytes{13};
    return bytes += kFrame;
}

MachinePort Ftdi(const std::string& device) {
    return {device, "FT232R USB UART", "FTDI", 0x0403, 0x6001, true};
}

QString ShownToolTip(QWidget* button) {
    QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), button->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(button, &event);
    return button->toolTip();
}

QString Path(const std::string& path) {
    return QString::fromStdString(path);
}

// The window on a machine whose serial ports are `ports`, with no RV7342_COM variable set.
class PortWindow : public WindowTest {
  protected:
    PortWindow() {
        qunsetenv("RV7342_COM1");
        qunsetenv("RV7342_COM2");
        window = OpenWindow([this] { return ports; });
        window->Text1->setText("run.dat");
    }
    ~PortWindow() override { qunsetenv("RV7342_COM2"); }

    // Once the transfer holds the port, the meter sends `bytes`; after the first record,
    // `then` runs.
    void MeterSends(Bytes bytes, std::function<void()> then = {}) {
        QObject::connect(&feeder, &QTimer::timeout, [=] {
            if (!sent && window->State().fgComPortOpen) {
                sent = true;
                line.Write(bytes);
            }
            if (sent && then && window->State().datano >= 1) {
                feeder.stop();
                then();
            }
        });
        feeder.start(5);
    }

    std::vector<MachinePort> ports;
    PseudoTerminal line;
    std::unique_ptr<Form2> window;
    QTimer feeder;
    bool sent = false;
};

TEST_F(PortWindow, AnAdapterPluggedInAfterStartUpIsReachedAtTheNextStart) {
    EXPECT_EQ(ShownToolTip(window->Option1[1]), "COM2: no serial port stands behind it");
    window->Command1[0]->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(boxes.seen[0].text.startsWith("Cannot open COM2: no serial port stands behind it"))
        << boxes.seen[0].text.toStdString();
    EXPECT_TRUE(boxes.seen[0].text.contains("This computer has no serial port"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("run.dat")));

    ports = {Ftdi(line.SlavePath())};
    const QString expected =
        "COM2: " + Path(line.SlavePath()) + ", FT232R USB UART (FTDI), USB 0403:6001";
    EXPECT_EQ(ShownToolTip(window->Option1[1]), expected);
    EXPECT_EQ(ShownToolTip(window->Option1[0]), "COM1: no serial port stands behind it");
    MeterSends(MemoryImage({kFrame}));
    window->Command1[0]->click();
    EXPECT_EQ(window->Label1[2]->text(), "Data Transfer OK");
    EXPECT_EQ(dir.Read("run.dat"), "1,12.34,5,12.3,3\r\n");
    EXPECT_EQ(boxes.seen.size(), 1u);
}

TEST_F(PortWindow, StartOnAComWithoutAPortListsTheMachinesPorts) {
    ports = {{"/dev/ttyS0", {}, {}, {}, {}, false}};
    window->Command1[0]->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    const QString& text = boxes.seen[0].text;
    EXPECT_TRUE(text.startsWith("Cannot open COM2: no serial port stands behind it."))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\n    /dev/ttyS0 (COM1)\n")) << text.toStdString();
}

TEST_F(PortWindow, ABusyPortNamesTheProgramThatHoldsIt) {
    qputenv("RV7342_COM2", line.SlavePath().c_str());
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        // No port list is asked for: RV7342_COM2 names the device.
        SerialLink link([] { return std::vector<MachinePort>{}; });
        const char opened = link.OpenCommPort(2) ? 'n' : 'y';
        (void)::write(ready[1], &opened, 1);
        char ignored = 0;
        (void)::read(release[0], &ignored, 1);  // until the test closes its end
        _exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char opened = 0;
    const bool holds = ::read(ready[0], &opened, 1) == 1 && opened == 'y';
    if (holds) {
        window->Command1[0]->click();
    }
    ::close(ready[0]);
    ::close(release[1]);
    ::waitpid(holder, nullptr, 0);
    ASSERT_TRUE(holds) << "the child process could not open the port";
    ASSERT_EQ(boxes.seen.size(), 1u);
    const QString& text = boxes.seen[0].text;
    EXPECT_TRUE(text.startsWith("Cannot open COM2 (" + Path(line.SlavePath()) + "): "))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("in use by window_tests (process %1)").arg(holder)))
        << text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir.Path("run.dat")));
}

TEST_F(PortWindow, ALostConnectionNamesTheDevicePathAndTheSystemsReason) {
    qputenv("RV7342_COM2", line.SlavePath().c_str());
    MeterSends(OneRecord(), [this] { line.CloseMaster(); });
    window->Command1[0]->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    // The slave's device file goes with its master, as an adapter's does when it is pulled.
    EXPECT_TRUE(boxes.seen[0].text.contains(
        QStringLiteral("the connection to COM2 (%1) was lost: the device hung up; %1 is gone (No "
                       "such file or directory).")
            .arg(Path(line.SlavePath()))))
        << boxes.seen[0].text.toStdString();
    EXPECT_EQ(dir.Read("run.dat"), "1,12.34,5,12.3,3\r\n");
}

// A device only its owner may open, tried from a window in a child process that runs as
// "nobody". Only root can drop to another user; any other user owns the pseudo-terminal.
TEST_F(PortWindow, ADeviceOnlyItsOwnerMayOpenGivesNoGroupAdvice) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to try the device as another user";
    }
    ASSERT_EQ(::chmod(line.SlavePath().c_str(), 0600), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    qputenv("RV7342_COM2", line.SlavePath().c_str());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            _exit(2);
        }
        window->Command1[0]->click();
        const QString text = boxes.seen.size() == 1 ? boxes.seen[0].text : QString();
        const bool right = text.startsWith("Cannot open COM2 (" + Path(line.SlavePath()) + "): ") &&
                           text.contains("The administrator must grant you access") &&
                           !text.contains("usermod") &&
                           !std::filesystem::exists(dir.Path("run.dat"));
        _exit(right ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace rv7342

#include "transfer/serial_link.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/meter_stream.h"
#include "tests/pseudo_terminal.h"

namespace rv7342 {
namespace {

class SerialLinkTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(line.SlavePath().empty());
        qputenv("RV7342_COM2", line.SlavePath().c_str());
        ASSERT_EQ(link.OpenCommPort(2), std::nullopt);
    }
    void TearDown() override { qunsetenv("RV7342_COM2"); }

    PseudoTerminal line;
    SerialLink link;
};

TEST_F(SerialLinkTest, EveryByteValueArrivesUnchangedAndInOrder) {
    Bytes all;
    for (int value = 0; value < 256; ++value) {
        all.push_back(static_cast<std::uint8_t>(value));
    }
    ASSERT_TRUE(line.Write(all));
    for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(value);
        EXPECT_EQ(link.ReadCommByte(), std::optional<std::uint8_t>(value));
    }
}

TEST_F(SerialLinkTest, WaitingKeepsTheEventLoopRunning) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (++ticks == 5) {
            line.Write({200});
        }
    });
    ticker.start(5);
    EXPECT_EQ(link.ReadCommByte(), std::optional<std::uint8_t>(200));
    EXPECT_GE(ticks, 5) << "events were handled while no byte was there";
}

TEST_F(SerialLinkTest, UnpluggedAdapterEndsTheWaitWithAReason) {
    line.Write({'1', '2'});
    QTimer::singleShot(20, [&] { line.CloseMaster(); });
    EXPECT_EQ(link.ReadCommByte(), std::optional<std::uint8_t>('1'));
    EXPECT_EQ(link.ReadCommByte(), std::optional<std::uint8_t>('2'));
    EXPECT_EQ(link.ReadCommByte(), std::nullopt);
    EXPECT_FALSE(link.FailureReason().isEmpty());
}

// The group may read and write the device, so joining it is the advice; tried in a child
// process that runs as "nobody", which only root can become.
TEST(SerialLink, ADeviceItsGroupMayUseGivesTheGroupToJoin) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to try the device as another user";
    }
    PseudoTerminal line;
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    ASSERT_EQ(::chown(line.SlavePath().c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(line.SlavePath().c_str(), 0660), 0);
    qputenv("RV7342_COM2", line.SlavePath().c_str());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setgroups(0, nullptr) != 0 || ::setuid(65534) != 0) {
            _exit(2);
        }
        SerialLink link;
        const QString message = link.OpenCommPort(2).value_or("");
        _exit(message.contains("sudo usermod -aG dialout $USER") ? 0 : 1);
    }
    qunsetenv("RV7342_COM2");
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace rv7342

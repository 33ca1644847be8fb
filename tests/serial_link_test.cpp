#include "transfer/serial_link.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <numeric>

#include "tests/deadline.h"
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

    // Every byte the link delivers until `count` have come or the link fails; the bytes are
    // taken as bytesWaiting announces them, as a transfer takes them.
    Bytes Receive(std::size_t count) {
        Bytes received;
        QEventLoop loop;
        QObject::connect(&link, &SerialLink::bytesWaiting, [&] {
            while (const std::optional<std::uint8_t> byte = link.ReadCommByte()) {
                received.push_back(*byte);
            }
            if (received.size() >= count) {
                loop.quit();
            }
        });
        QObject::connect(&link, &SerialLink::failed, &loop, &QEventLoop::quit);
        QTimer::singleShot(kEventDeadline, &loop, &QEventLoop::quit);
        loop.exec();
        return received;
    }

    PseudoTerminal line;
    SerialLink link;
};

// A pseudo-terminal has no modem lines and refuses DTR and RTS; that is no failure of the link.
TEST_F(SerialLinkTest, EveryByteValueArrivesUnchangedAndInOrder) {
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0);
    ASSERT_TRUE(line.Write(all));
    EXPECT_EQ(Receive(all.size()), all);
    EXPECT_EQ(link.ReadCommByte(), std::nullopt) << "nothing more is waiting";
    EXPECT_TRUE(link.FailureReason().isEmpty()) << link.FailureReason().toStdString();
}

TEST_F(SerialLinkTest, AHangUpFailsTheLinkWithTheSystemsReason) {
    line.CloseMaster();
    EXPECT_EQ(Receive(1), Bytes());
    EXPECT_TRUE(link.FailureReason().contains("hung up")) << link.FailureReason().toStdString();
}

}  // namespace
}  // namespace rv7342

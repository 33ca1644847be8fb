#include "transfer/serial_link.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <numeric>

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
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0);
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
    // The byte is only sent from the event loop, so it arrives only if the wait runs events.
    EXPECT_EQ(link.ReadCommByte(), std::optional<std::uint8_t>(200));
}

}  // namespace
}  // namespace rv7342

#include "measuring/comparison.h"

#include <gtest/gtest.h>

#include <tuple>

namespace rv7342 {
namespace {

double Local(const char* text) {
    return ParseLocalTime(text).value();
}

// The own file every 10 s from 10:00:00; the other every 5 s from 10:01:00.
const TimeAxis kOwn{10.0, Local("2026-12-07 10:00:00"), AxisKind::Clock};
const TimeAxis kOther{5.0, Local("2026-12-07 10:01:00"), AxisKind::Clock};

TEST(LineUpFiles, EachFileWithItsOwnIntervalAndStart) {
    const std::optional<double> none;
    const TimeAxis noStart{5.0, std::nullopt, AxisKind::Elapsed};
    const TimeAxis noInterval{none, none, AxisKind::ReadingNumber};
    // wanted, other file, lined up by, where the other's readings 1 and 7 stand
    const std::tuple<AxisKind, TimeAxis, AxisKind, double, double> cases[] = {
        {AxisKind::ReadingNumber, kOther, AxisKind::ReadingNumber, 1, 7},
        {AxisKind::Elapsed, kOther, AxisKind::Elapsed, 1, 4},  // 30 s: own reading 4
        {AxisKind::Clock, kOther, AxisKind::Clock, 7, 10},     // 10:01:00 and 10:01:30
        {AxisKind::Clock, noStart, AxisKind::Elapsed, 1, 4},
        {AxisKind::Clock, noInterval, AxisKind::ReadingNumber, 1, 7},
        {AxisKind::Elapsed, noInterval, AxisKind::ReadingNumber, 1, 7},
    };
    for (const auto& [wanted, other, by, first, seventh] : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(wanted) << " " << static_cast<int>(by));
        const LineUp lineUp = LineUpFiles(kOwn, other, wanted);
        EXPECT_EQ(lineUp.by, by);
        EXPECT_DOUBLE_EQ(lineUp.Number(1), first);
        EXPECT_DOUBLE_EQ(lineUp.Number(7), seventh);
    }
    const TimeAxis ownWithoutTimes{none, none, AxisKind::ReadingNumber};
    EXPECT_EQ(LineUpFiles(ownWithoutTimes, kOther, AxisKind::Clock).by, AxisKind::ReadingNumber)
        << "without times on both";
}

// Whatever the intervals and starts, a reading lined up stands where the own axis tells the
// same time.
TEST(LineUpFiles, LinedUpReadingsTellTheSameTimeOnTheOwnAxis) {
    const TimeAxis others[] = {
        {0.5, Local("2026-12-06 23:59:59.5"), AxisKind::Clock},
        {86400.0, Local("2026-12-07 10:00:00"), AxisKind::Clock},
        {7.0, Local("2026-12-07 11:00:00"), AxisKind::Clock},
    };
    for (const TimeAxis& other : others) {
        for (const AxisKind kind : {AxisKind::Elapsed, AxisKind::Clock}) {
            const LineUp lineUp = LineUpFiles(kOwn, other, kind);
            for (const double n : {1.0, 2.0, 1000.0, 32767.0}) {
                SCOPED_TRACE(testing::Message() << *other.interval << " " << n);
                if (kind == AxisKind::Clock) {
                    EXPECT_NEAR(*ClockSeconds(kOwn, lineUp.Number(n)), *ClockSeconds(other, n),
                                1e-3);
                } else {
                    EXPECT_NEAR(*ElapsedSeconds(kOwn, lineUp.Number(n)), *ElapsedSeconds(other, n),
                                1e-3);
                }
            }
        }
    }
}

TEST(LinedUp, MovesTheNumbersAndKeepsTheValues) {
    const std::vector<ReadingSeries> series = {
        {Display::First, 5, {1, 2, 4}, {1.5, 2.5, 4.5}},
        {Display::Second, 1, {3}, {0.3}},
    };
    const std::vector<ReadingSeries> lined =
        LinedUp(series, LineUpFiles(kOwn, kOther, AxisKind::Elapsed));
    ASSERT_EQ(lined.size(), 2u);
    EXPECT_EQ(lined[0].numbers, (std::vector<double>{1, 1.5, 2.5}));
    EXPECT_EQ(lined[0].values, series[0].values);
    EXPECT_EQ(lined[1].numbers, (std::vector<double>{2}));
    EXPECT_EQ(lined[1].display, Display::Second);
    EXPECT_EQ(ComparedLabel("deg C", "run2.dat"), "deg C \xC2\xB7 run2.dat");
}

}  // namespace
}  // namespace rv7342

#include "readings/time_axis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>

namespace rv7342 {
namespace {

double Local(const char* text) {
    const std::optional<double> seconds = ParseLocalTime(text);
    EXPECT_TRUE(seconds) << text;
    return seconds.value_or(0);
}

TEST(LocalTime, CalendarArithmeticAndWhatIsNoTime) {
    EXPECT_EQ(Local("1970-01-01 00:00:00"), 0);
    EXPECT_EQ(Local("1970-01-02T00:00"), 86400);
    EXPECT_EQ(Local("1969-12-31 23:59:59"), -1);
    EXPECT_EQ(ClockText(Local("2024-02-29 12:34:56"), true), "2024-02-29 12:34:56");
    EXPECT_EQ(ClockText(Local("2026-12-31 23:59:59.5"), true), "2026-12-31 23:59:59.5");
    EXPECT_EQ(ClockText(Local("2100-03-01 00:00:00") - 1, true), "2100-02-28 23:59:59")
        << "2100 is no leap year";
    const CivilTime time = ToCivil(Local("2000-02-29 07:08:09"));
    EXPECT_EQ(std::tie(time.year, time.month, time.day, time.hour, time.minute, time.second),
              std::make_tuple(2000, 2, 29, 7, 8, 9.0));
    for (const char* wrong : {"2026-02-29 00:00:00", "2026-13-01 00:00", "2026-12-07 24:00",
                              "2026-12-07 10:60", "2026-12-07 10:00:60", "2026-12-07",
                              "2026-12-07 10:00:", "2026-12-07 10:00:05x", "yesterday", ""}) {
        EXPECT_EQ(ParseLocalTime(wrong), std::nullopt) << wrong;
    }
}

TEST(TimeAxis, ShownOnlyWithWhatItNeeds) {
    TimeAxis axis{std::nullopt, std::nullopt, AxisKind::Clock};
    EXPECT_EQ(axis.Shown(), AxisKind::ReadingNumber) << "no interval: reading numbers";
    axis.interval = 10;
    EXPECT_EQ(axis.Shown(), AxisKind::Elapsed) << "no start: elapsed time";
    axis.start = 0;
    EXPECT_EQ(axis.Shown(), AxisKind::Clock);
    axis.kind = AxisKind::ReadingNumber;
    EXPECT_EQ(axis.Shown(), AxisKind::ReadingNumber);
    for (const auto& [seconds, valid] : {std::pair{0.1, true},
                                         {86400.0, true},
                                         {0.09, false},
                                         {86400.5, false},
                                         {0.0, false},
                                         {-10.0, false},
                                         {std::nan(""), false}}) {
        EXPECT_EQ(IsValidInterval(seconds), valid) << seconds;
    }
}

// Reading n is at (n - 1) x interval, by the record's own number.
TEST(TimeAxis, TimesOfReadingsOnEachAxis) {
    const TimeAxis numbers{10.0, Local("2026-12-07 23:59:30"), AxisKind::ReadingNumber};
    EXPECT_EQ(ReadingTimeText(numbers, 7), "") << "reading numbers tell no time";
    EXPECT_EQ(TickLabel(numbers, 7, 1, 100), "7");

    const TimeAxis elapsed{10.0, std::nullopt, AxisKind::Elapsed};
    EXPECT_EQ(ElapsedSeconds(elapsed, 1), 0);
    EXPECT_EQ(ReadingTimeText(elapsed, 7), "0:01:00");
    EXPECT_EQ(ReadingTimeText(elapsed, 32767), "3d 19:01:00")
        << "numbers that skip keep their time";
    EXPECT_EQ(ReadingTimeText(elapsed, 8641), "1d 0:00:00");
    EXPECT_EQ(TickLabel(elapsed, 32767, 1, 32767), "3d 19:01:00") << "days on a long span";
    EXPECT_EQ(TickLabel(elapsed, 32767, 32000, 32767), "91:01:00");
    EXPECT_EQ(TickLabel(elapsed, 0, 0, 10), "-0:00:10");
    const TimeAxis tenths{0.5, std::nullopt, AxisKind::Elapsed};
    EXPECT_EQ(ReadingTimeText(tenths, 4), "0:00:01.5");

    const TimeAxis clock{10.0, Local("2026-12-07 23:59:30"), AxisKind::Clock};
    EXPECT_EQ(ClockSeconds(clock, 4), Local("2026-12-08 00:00:00"));
    EXPECT_EQ(ReadingTimeText(clock, 2), "2026-12-07 23:59:40");
    EXPECT_EQ(TickLabel(clock, 2, 1, 3), "23:59:40") << "within one day, no date";
    EXPECT_EQ(TickLabel(clock, 2, 1, 10), "2026-12-07 23:59:40") << "the span crosses midnight";
    EXPECT_EQ(TickLabel(clock, 10, 1, 10), "2026-12-08 00:01:00");
    EXPECT_EQ(TickLabel(clock, 4, 4, 10), "2026-12-08 00:00:00")
        << "the first tick tells the date though every tick falls after midnight";
    EXPECT_EQ(TickLabel(clock, 5, 4, 10), "00:00:10");
}

TEST(TimeAxis, TicksFallOnRoundTimes) {
    const TimeAxis elapsed{10.0, std::nullopt, AxisKind::Elapsed};
    const TickSpacing hours = TimeTickSpacing(elapsed, 1, 32767, 5);
    EXPECT_EQ(hours.step * 10, 86400) << "91 hours in five ticks: one a day";
    EXPECT_EQ(hours.origin, 1);
    const TickSpacing seconds = TimeTickSpacing(elapsed, 1, 10, 5);
    EXPECT_EQ(seconds.step * 10, 30);

    // Started at 12:34:56: ticks every minute at whole minutes.
    const TimeAxis clock{2.0, Local("2026-12-07 12:34:56"), AxisKind::Clock};
    const TickSpacing minutes = TimeTickSpacing(clock, 1, 151, 5);
    EXPECT_EQ(minutes.step * 2, 60);
    EXPECT_EQ(ClockText(*ClockSeconds(clock, minutes.origin), false), "12:35:00");
    EXPECT_EQ(ClockText(*ClockSeconds(clock, minutes.origin + minutes.step), false), "12:36:00");
    EXPECT_EQ(TimeTickSpacing(clock, 1, 1E9, 5).step * 2, 5000 * 86400.0)
        << "years in days of round numbers";
}

// The words of the command line and of settings files, old ones too, and the axes the
// interval and start allow.
TEST(TimeAxis, AxisKindsByNameAndTheAxesAllowed) {
    const std::pair<const char*, std::optional<AxisKind>> words[] = {
        {"number", AxisKind::ReadingNumber},
        {"readings", AxisKind::ReadingNumber},
        {"elapsed", AxisKind::Elapsed},
        {"clock", AxisKind::Clock},
        {"Clock", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [word, kind] : words) {
        EXPECT_EQ(AxisKindNamed(word), kind) << word;
    }
    for (const AxisKind kind : kAxisKinds) {
        EXPECT_EQ(AxisKindNamed(AxisWord(kind)), kind) << AxisWord(kind);
    }
    EXPECT_STREQ(AxisTitle(AxisKind::Elapsed), "Elapsed time");

    const TimeAxis none{}, interval{10.0, std::nullopt}, both{10.0, 0.0};
    const std::tuple<TimeAxis, AxisKind, bool> allowed[] = {{none, AxisKind::ReadingNumber, true},
                                                            {none, AxisKind::Elapsed, false},
                                                            {interval, AxisKind::Elapsed, true},
                                                            {interval, AxisKind::Clock, false},
                                                            {both, AxisKind::Clock, true}};
    for (const auto& [axis, kind, allows] : allowed) {
        EXPECT_EQ(axis.Allows(kind), allows) << AxisWord(kind);
    }
}

}  // namespace
}  // namespace rv7342

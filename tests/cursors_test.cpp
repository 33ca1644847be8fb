#include "measuring/cursors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

namespace rv7342 {
namespace {

using Number = std::optional<double>;

// A gap at reading 4; a series that begins later; a value that is not measured.
const ReadingSeries kGapped{Display::First, 5, {1, 2, 3, 5, 6}, {10, 12, 14, 18, 20}};
const ReadingSeries kLater{Display::First, 3, {4, 5}, {100, 90}};
const ReadingSeries kUnmeasured{Display::Second, 5, {1, 2, 3}, {1, 2, NAN}};

TEST(ReadCursors, ValuesAtOrBeforeEachCursorAndTheirDifferences) {
    struct Case {
        Cursors cursors;
        Number interval;
        double readings;
        Number seconds;
        // per series: reading at A, at B, difference, slope and its unit
        std::tuple<Number, Number, Number, Number, SlopeUnit> expected[3];
    };
    const Case cases[] = {
        {{2, 4},
         10.0,
         2,
         20.0,
         {{2, 3, 2, 12, SlopeUnit::PerMinute},  // 2 in 10 s between readings 2 and 3
          {std::nullopt, 4, std::nullopt, std::nullopt, SlopeUnit::PerSecond},
          {2, 3, std::nullopt, std::nullopt, SlopeUnit::PerSecond}}},
        {{6, 1},
         10.0,
         -5,
         -50.0,
         {{6, 1, -10, 12, SlopeUnit::PerMinute},
          {5, std::nullopt, std::nullopt, std::nullopt, SlopeUnit::PerSecond},
          {3, 1, std::nullopt, std::nullopt, SlopeUnit::PerSecond}}},
        {{1, 5},
         std::nullopt,
         4,
         std::nullopt,
         {{1, 5, 8, 2, SlopeUnit::PerReading},
          {std::nullopt, 5, std::nullopt, std::nullopt, SlopeUnit::PerSecond},
          {1, 3, std::nullopt, std::nullopt, SlopeUnit::PerSecond}}},
        {{3, 4.5},
         2.0,
         1.5,
         3.0,
         {{3, 3, 0, std::nullopt, SlopeUnit::PerSecond},  // one reading: no slope
          {std::nullopt, 4, std::nullopt, std::nullopt, SlopeUnit::PerSecond},
          {3, 3, std::nullopt, std::nullopt, SlopeUnit::PerSecond}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "A " << c.cursors.a << ", B " << c.cursors.b);
        const CursorReadout readout =
            ReadCursors({&kGapped, &kLater, &kUnmeasured}, c.cursors, c.interval);
        EXPECT_EQ(readout.readings, c.readings);
        EXPECT_EQ(readout.seconds, c.seconds);
        ASSERT_EQ(readout.series.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            const CursorValues& values = readout.series[i];
            const auto& [readingA, readingB, difference, slope, per] = c.expected[i];
            EXPECT_EQ(values.readingA, readingA);
            EXPECT_EQ(values.readingB, readingB);
            EXPECT_EQ(values.difference, difference);
            ASSERT_EQ(values.slope.has_value(), slope.has_value());
            if (slope) {
                EXPECT_DOUBLE_EQ(values.slope->change, *slope);
                EXPECT_EQ(values.slope->per, per);
            }
        }
    }
}

TEST(ReadableSlope, TheFirstUnitOfTimeInWhichTheChangeReachesOne) {
    const std::tuple<double, double, SlopeUnit> cases[] = {
        {2.5, 2.5, SlopeUnit::PerSecond},     {-1, -1, SlopeUnit::PerSecond},
        {0.5, 30, SlopeUnit::PerMinute},      {-1.0 / 60, -1, SlopeUnit::PerMinute},
        {0.001, 3.6, SlopeUnit::PerHour},     {0, 0, SlopeUnit::PerHour},
        {-1e-6, -0.0036, SlopeUnit::PerHour},
    };
    for (const auto& [perSecond, change, per] : cases) {
        SCOPED_TRACE(perSecond);
        const Slope slope = ReadableSlope(perSecond);
        EXPECT_NEAR(slope.change, change, 1e-12);
        EXPECT_EQ(slope.per, per);
    }
    EXPECT_EQ(SlopeUnitText(SlopeUnit::PerMinute), "/min");
    EXPECT_EQ(SlopeUnitText(SlopeUnit::PerReading), "/reading");
}

// A cursor stands on one of the file's readings; keys move it by readings, a lost one skipped.
TEST(CursorSteps, ByReadingsOfTheFileStoppingAtItsEnds) {
    const std::vector<ReadingSeries> series = {
        kGapped, {Display::First, 3, {4.5, 7}, {1, 2}}, {Display::Second, 5, {1, 2}, {0, 0}}};
    const std::vector<double> readings = FileReadings(series);
    EXPECT_EQ(readings, (std::vector<double>{1, 2, 3, 4.5, 5, 6, 7}));
    const std::tuple<double, int, double> steps[] = {
        {3, 1, 4.5}, {3.9, 0, 4.5}, {3.7, 0, 3}, {4.5, -1, 3}, {6, 5, 7}, {2, -5, 1}, {-10, 0, 1},
    };
    for (const auto& [from, by, to] : steps) {
        SCOPED_TRACE(testing::Message() << from << " by " << by);
        EXPECT_EQ(StepReadings(readings, from, by), to);
    }
    EXPECT_EQ(NearestReading(readings, 100), 7);
    EXPECT_EQ(NearestReading({}, 3.5), 3.5) << "nothing to stand on";
}

TEST(ReadoutTable, CursorsDifferencesAndEachSeries) {
    const TimeAxis axis{10.0, std::nullopt, AxisKind::Elapsed};
    const CursorReadout readout = ReadCursors({&kGapped, &kLater}, {2, 4}, axis.interval);
    using Row = std::vector<std::string>;
    const std::vector<Row> table = ReadoutTable(readout, {"V DC", "deg C"}, axis);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[1], (Row{"Reading", "2 (0:00:10)", "4 (0:00:30)", "2 readings, 0:00:20", ""}));
    EXPECT_EQ(table[2], (Row{"V DC", "12", "14", "2", "12 /min"}));
    EXPECT_EQ(table[3], (Row{"deg C", "", "100", "", ""}));
    const TimeAxis numbers;
    EXPECT_EQ(ReadoutTable(ReadCursors({&kGapped}, {1, 3}, std::nullopt), {"V DC"}, numbers)[1],
              (Row{"Reading", "1", "3", "2 readings", ""}));
}

// The statistics between the cursors are the range statistics of the readings between them,
// both ends included, in whichever order the cursors stand.
TEST(BetweenCursors, StatisticsAsAPlainComputationOfTheReadingsBetween) {
    ReadingSeries series{Display::First, 5, {}, {}};
    for (int n = 1; n <= 5000; ++n) {
        if (n % 7 != 0) {  // gaps
            series.numbers.push_back(n);
            series.values.push_back(n % 13 == 0 ? NAN : 100 + std::sin(n) * 3);
        }
    }
    const BlockStatistics blocks(series);
    for (const Cursors cursors : {Cursors{3001, 1200}, Cursors{1200, 3001}, Cursors{15, 15},
                                  Cursors{6.5, 2100}, Cursors{4990, 7000}}) {
        SCOPED_TRACE(testing::Message() << cursors.a << " " << cursors.b);
        const double from = std::min(cursors.a, cursors.b);
        const double to = std::max(cursors.a, cursors.b);
        std::vector<double> numbers;
        std::vector<double> values;
        for (std::size_t i = 0; i < series.numbers.size(); ++i) {
            if (series.numbers[i] >= from && series.numbers[i] <= to) {
                numbers.push_back(series.numbers[i]);
                if (!std::isnan(series.values[i])) {
                    values.push_back(series.values[i]);
                }
            }
        }
        ASSERT_FALSE(numbers.empty());
        const double mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
        const double squares =
            std::accumulate(values.begin(), values.end(), 0.0,
                            [mean](double sum, double v) { return sum + (v - mean) * (v - mean); });
        const SeriesStatistics figures =
            blocks.Of(BetweenCursors(cursors).lower, BetweenCursors(cursors).upper);
        EXPECT_EQ(figures.count, values.size());
        EXPECT_EQ(figures.leftOut, numbers.size() - values.size());
        EXPECT_EQ(figures.firstReading, numbers.front());
        EXPECT_EQ(figures.lastReading, numbers.back());
        if (values.size() >= 2) {
            EXPECT_NEAR(figures.mean, mean, 1e-9);
            EXPECT_NEAR(*figures.standardDeviation, std::sqrt(squares / (values.size() - 1)), 1e-9);
            EXPECT_EQ(figures.minimum, *std::min_element(values.begin(), values.end()));
            EXPECT_EQ(figures.maximum, *std::max_element(values.begin(), values.end()));
        }
    }
}

}  // namespace
}  // namespace rv7342

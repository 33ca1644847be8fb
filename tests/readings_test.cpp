#include "readings/plot_points.h"
#include "readings/series.h"
#include "readings/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numeric>
#include <tuple>

#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

// The whole file (count -1), or the records of the last transfer as the table reads them.
TEST(ReadDataFile, KeepsTheRecordsBeforeAFaultAndNamesTheFileTheLineAndTheReason) {
    TempDir dir;
    const char* const two = "1,1,1,0,0\r\n2,2,1,0,0\r\n";
    const std::tuple<const char*, const char*, int, std::size_t, std::string> cases[] = {
        {"good.dat", "1,1.5,3,0,0\r\n2,2.5,3,0,0\n3,3.5,3,0,0\r\n\r\n", -1, 3, ""},
        {"bad.dat", "1,1,3,0,0\r\n2,1,3,0,0\r\n3,oops,3,0,0\r\n4,1,3,0,0\r\n", -1, 2,
         "bad.dat, line 3: the value \"oops\" is not a number"},
        {"empty.dat", "", -1, 0, "empty.dat holds no readings"},
        {"blank.dat", "\r\n\r\n", -1, 0, "blank.dat holds no readings"},
        {"missing.dat", nullptr, -1, 0,
         "Cannot open " + dir.Path("missing.dat") + ": No such file"},
        {"one.dat", two, 1, 1, ""},  // only the records the transfer wrote
        {"five.dat", two, 5, 2, "five.dat should hold 5 readings, but only 2 could be read"},
        {"none.dat", two, 0, 0, "none.dat holds no readings"},
    };
    for (const auto& [name, text, count, kept, reason] : cases) {
        SCOPED_TRACE(name);
        if (text) {
            dir.Write(name, text);
        }
        std::vector<Record> records{{9, 9, 9, 9, 9}};
        const Failure failure = count < 0 ? ReadDataFile(dir.Path(name), records)
                                          : ReadDataFileRecords(dir.Path(name), count, records);
        EXPECT_TRUE(Contains(failure.value_or(""), reason));
        EXPECT_EQ(failure.has_value(), !reason.empty());
        EXPECT_EQ(records.size(), kept) << "what could be read, nothing from before";
    }
}

TEST(GroupIntoSeries, OneSeriesPerUnitCodeAndDisplayNumberedAsTheRecordsAre) {
    const std::vector<Record> records = {
        {1, 1.5, 5, 0.1, 0}, {2, 2.5, 3, 0.2, 0},     {3, 3.5, 5, 0.3, 1},
        {4, 4.5, 200, 0, 0}, {5, HUGE_VAL, -1, 0, 0}, {7, 6.5, 5, 0.5, 1},
    };
    const std::vector<ReadingSeries> series = GroupIntoSeries(records);
    using Numbers = std::vector<double>;
    const std::tuple<Display, int, Numbers, Numbers> expected[] = {
        {Display::First, -1, {5}, {HUGE_VAL}},
        {Display::First, 3, {2}, {2.5}},
        {Display::First, 5, {1, 3, 7}, {1.5, 3.5, 6.5}},
        {Display::First, 200, {4}, {4.5}},
        {Display::Second, 0, {1, 2, 4, 5}, {0.1, 0.2, 0, 0}},
        {Display::Second, 1, {3, 7}, {0.3, 0.5}},
    };
    ASSERT_EQ(series.size(), std::size(expected));
    for (std::size_t i = 0; i < series.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(
            std::tie(series[i].display, series[i].unitCode, series[i].numbers, series[i].values),
            expected[i])
            << "a reading lost in the transfer leaves its gap";
    }
}

TEST(ReadingNumbers, TheRecordsOwnWhileTheyRiseOtherwiseTheLines) {
    const auto numbers = [](std::vector<long long> own) {
        std::vector<Record> records;
        for (long long number : own) {
            records.push_back({number, 1, 0, 0, 0});
        }
        return ReadingNumbers(records);
    };
    EXPECT_EQ(numbers({101, 102, 105}), (std::vector<double>{101, 102, 105}));
    EXPECT_EQ(numbers({1, 3, 2}), (std::vector<double>{1, 2, 3})) << "files put together";
    EXPECT_EQ(numbers({4, 4}), (std::vector<double>{1, 2}));
    EXPECT_EQ(numbers({}), std::vector<double>{});
}

// A single-value frame writes 0,0 for its second display: that is not a series.
TEST(GroupIntoSeries, NoSecondDisplaySeriesOfZerosInCodeZero) {
    const auto second = [](std::vector<Record> records) {
        std::vector<std::pair<int, std::vector<double>>> found;
        for (const ReadingSeries& one : GroupIntoSeries(records)) {
            if (one.display == Display::Second) {
                found.emplace_back(one.unitCode, one.values);
            }
        }
        return found;
    };
    using Found = std::vector<std::pair<int, std::vector<double>>>;
    EXPECT_EQ(second({{1, 5, 0, 0, 0}, {2, 6, 3, 0, 0}}), Found{}) << "single-value readings";
    EXPECT_EQ(second({{1, 0, 0, 0, 0}}), Found{}) << "its first display is kept";
    EXPECT_EQ(second({{1, 5, 0, 0, 0}, {2, 6, 0, -0.5, 0}}), (Found{{0, {0, -0.5}}}))
        << "any other value shows the series whole";
    EXPECT_EQ(second({{1, 5, 0, 0, 4}, {2, 5, 0, 0, 0}}), (Found{{4, {0}}}))
        << "zeros in another unit were measured";
    EXPECT_EQ(GroupIntoSeries({{1, 0, 0, 0, 0}}).size(), 1u);
}

ReadingSeries SeriesOf(std::vector<double> values) {
    ReadingSeries series{Display::First, 0, std::vector<double>(values.size()), std::move(values)};
    std::iota(series.numbers.begin(), series.numbers.end(), 1.0);  // numbered from 1
    return series;
}

// The figures of a plain series are checked through the readings window; these are the edges.
TEST(ComputeStatistics, LargeValuesAndValuesNotMeasured) {
    // A sum of squares would lose the deviations of large values in rounding.
    const SeriesStatistics large =
        ComputeStatistics(SeriesOf({1E9 + 4, 1E9 + 7, 1E9 + 13, 1E9 + 16}));
    EXPECT_DOUBLE_EQ(large.mean, 1E9 + 10);
    EXPECT_NEAR(*large.standardDeviation, std::sqrt(30.0), 1E-6);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const SeriesStatistics statistics =
        ComputeStatistics(SeriesOf({HUGE_VAL, 3, -1E39, FLT_MAX, nan, -1, 1E39}));
    // The largest float is still a reading; left-out ones still belong to the series' span.
    EXPECT_EQ(std::tie(statistics.count, statistics.leftOut, statistics.minimum, statistics.maximum,
                       statistics.firstReading, statistics.lastReading),
              std::make_tuple(3u, 4u, -1.0, double{FLT_MAX}, 1.0, 7.0));
    EXPECT_TRUE(std::isfinite(statistics.mean));

    const SeriesStatistics single = ComputeStatistics(SeriesOf({HUGE_VAL, 4.5}));
    EXPECT_EQ(std::tie(single.count, single.mean), std::make_tuple(1u, 4.5));
    EXPECT_FALSE(single.standardDeviation) << "one value has no sample deviation";
    const SeriesStatistics none = ComputeStatistics(SeriesOf({nan, -HUGE_VAL}));
    EXPECT_EQ(std::tie(none.count, none.leftOut), std::make_tuple(0u, 2u));
    EXPECT_FALSE(none.standardDeviation);
}

TEST(ReduceForDrawing, FewPointsAllDrawnManyKeepEverySpikeNoUnmeasuredOnes) {
    const ReadingSeries series = SeriesOf({1, 2, HUGE_VAL, 4, 5, 6, 7, 8});
    const PlotPoints middle = ReduceForDrawing(series, 3, 5, 100);
    EXPECT_EQ(middle.numbers, (std::vector<double>{2, 4, 5, 6}))
        << "the line runs on to measured neighbours beyond both edges";
    EXPECT_EQ(middle.values, (std::vector<double>{2, 4, 5, 6}));

    const PlotPoints between = ReduceForDrawing(series, 6.2, 6.8, 100);
    EXPECT_EQ(between.numbers, (std::vector<double>{6, 7})) << "a view between two readings";

    const PlotPoints all = ReduceForDrawing(series, 0, 100, 100);
    EXPECT_EQ(all.numbers, (std::vector<double>{1, 2, 4, 5, 6, 7, 8}));

    // Many points: every spike is kept at a few points a pixel column.
    std::vector<double> values(100000, 1.0);
    values[12345] = 250;
    values[54321] = -75;
    values[70000] = -HUGE_VAL;
    const ReadingSeries many = SeriesOf(values);
    for (int columns : {1, 300, 1920}) {
        SCOPED_TRACE(columns);
        const PlotPoints points = ReduceForDrawing(many, 1, 100000, columns);
        EXPECT_LE(points.numbers.size(), 4u * columns + 2);
        EXPECT_TRUE(std::is_sorted(points.numbers.begin(), points.numbers.end()));
        EXPECT_EQ(*std::max_element(points.values.begin(), points.values.end()), 250);
        EXPECT_EQ(*std::min_element(points.values.begin(), points.values.end()), -75);
        EXPECT_EQ(points.numbers.front(), 1);
        EXPECT_EQ(points.numbers.back(), 100000);
    }
    const PlotPoints zoomed = ReduceForDrawing(many, 12340, 12350, 800);
    EXPECT_EQ(zoomed.numbers.size(), 13u) << "every reading once zoomed in, with neighbours";
}

// Whole memory's ranges: every value inside, never an empty range.
TEST(WholeValueSpan, HoldsEveryValueWhateverTheyAre) {
    const auto span = [](std::vector<std::vector<double>> series) {
        std::vector<SeriesStatistics> statistics;
        for (auto& values : series) {
            statistics.push_back(ComputeStatistics(SeriesOf(std::move(values))));
        }
        return WholeValueSpan(statistics);
    };
    const auto holds = [](Span range, double low, double high) {
        return range.lower < low && range.upper > high && std::isfinite(range.lower) &&
               std::isfinite(range.upper);
    };
    EXPECT_TRUE(holds(span({{-7, -3}, {-12, -9.5}}), -12, -3)) << "all negative";
    EXPECT_LT(span({{-7, -3}}).upper, -2) << "and no room wasted on zero";
    EXPECT_TRUE(holds(span({{4, 4, 4}}), 4, 4)) << "all equal";
    EXPECT_EQ(span({{-20}}), (Span{-22, -18})) << "a single reading";
    EXPECT_EQ(span({{0}}), (Span{-1, 1}));
    EXPECT_TRUE(holds(span({{1E-30, 1E-30}}), 1E-30, 1E-30));
    EXPECT_LT(span({{1E-30}}).upper, 1E-29) << "a tiny value is not flattened";
    EXPECT_TRUE(holds(span({{FLT_MAX, -FLT_MAX}}), -FLT_MAX, FLT_MAX)) << "single-precision limits";
    EXPECT_TRUE(holds(span({{FLT_MAX}}), FLT_MAX, FLT_MAX));
    EXPECT_TRUE(holds(span({{HUGE_VAL, 2}, {}}), 2, 2)) << "left-out values and empty series";
    EXPECT_EQ(span({{HUGE_VAL}}), (Span{-1, 1})) << "no value at all";
}

TEST(WholeReadingSpan, FromTheFirstToTheLastReadingOfAnySeries) {
    ReadingSeries late = SeriesOf({1, 2});
    late.numbers = {500, 900};
    const std::vector<SeriesStatistics> statistics = {ComputeStatistics(SeriesOf({1, 2, 3})),
                                                      ComputeStatistics(late),
                                                      ComputeStatistics(ReadingSeries{})};
    const Span whole = WholeReadingSpan(statistics);
    EXPECT_NEAR(whole.lower, 1 - 8.99, 1E-9);
    EXPECT_NEAR(whole.upper, 900 + 8.99, 1E-9);
    const Span single = WholeReadingSpan({ComputeStatistics(SeriesOf({HUGE_VAL}))});
    EXPECT_TRUE(single.lower < 1 && single.upper > 1) << "a single reading, even one left out";
}

// The readings inside a range, both ends included, and no others; worked by hand.
TEST(ComputeStatistics, OfARangeAreThoseOfItsReadingsBothEndsIncluded) {
    ReadingSeries series = SeriesOf({3, 8, HUGE_VAL, -2, 5, 5, 11, 0.5, 7});
    series.numbers = {2, 3, 4, 6, 7, 8, 10, 11, 12};  // readings 5 and 9 are elsewhere
    const struct {
        double from, to;
        std::size_t count, leftOut;
        double mean, minimum, maximum, first, last;
        double variance;  // of the sample; 0: none
    } cases[] = {
        {0, 100, 8, 1, 37.5 / 8, -2, 11, 2, 12, 121.46875 / 7},
        {3, 8, 4, 1, 4, -2, 8, 3, 8, 54.0 / 3},  // 8, -2, 5, 5
        {2.5, 7.5, 3, 1, 11.0 / 3, -2, 8, 3, 7, 474.0 / 9 / 2},
        {6, 6, 1, 0, -2, -2, -2, 6, 6, 0},
        {4, 4.9, 0, 1},  // only a value not measured
        {4.5, 5.5, 0, 0},
        {13, 20, 0, 0},
        {-5, 1, 0, 0},
        {9, 9, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.to));
        const SeriesStatistics figures = ComputeStatistics(series, c.from, c.to);
        EXPECT_EQ(figures.count, c.count);
        EXPECT_EQ(figures.leftOut, c.leftOut);
        EXPECT_EQ(figures.standardDeviation.has_value(), c.variance > 0);
        if (c.count == 0) {
            continue;
        }
        EXPECT_DOUBLE_EQ(figures.mean, c.mean);
        EXPECT_EQ(
            std::tie(figures.minimum, figures.maximum, figures.firstReading, figures.lastReading),
            std::tie(c.minimum, c.maximum, c.first, c.last));
        if (c.variance > 0 && figures.standardDeviation) {
            EXPECT_NEAR(*figures.standardDeviation, std::sqrt(c.variance), 1E-12);
        }
    }
}

// Merged block figures against the readings' own, for ranges within a block, across many,
// and cutting blocks that hold no measured value.
TEST(BlockStatistics, GiveTheFiguresOfTheReadingsInTheRange) {
    std::vector<double> values;
    for (int i = 0; i < 5000; ++i) {
        values.push_back(i >= 2048 && i < 3072 ? HUGE_VAL : 1E6 + std::sin(i) * 50 + i % 7);
    }
    ReadingSeries series = SeriesOf(values);
    for (double& number : series.numbers) {
        number *= 2;  // readings 2, 4, ...
    }
    const BlockStatistics blocks(series);
    const std::pair<double, double> ranges[] = {
        {0, 20000},  {3, 9},       {2, 2},       {2, 2048},    {2047, 2050},
        {100, 9000}, {4100, 6200}, {4097, 6143}, {5000, 5001}, {9999, 9999},
        {-10, 1},    {4096, 6146}, {1, 10000}};
    for (const auto& [from, to] : ranges) {
        SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
        const SeriesStatistics merged = blocks.Of(from, to);
        const SeriesStatistics direct = ComputeStatistics(series, from, to);
        EXPECT_EQ(std::tie(merged.count, merged.leftOut, merged.minimum, merged.maximum,
                           merged.firstReading, merged.lastReading),
                  std::tie(direct.count, direct.leftOut, direct.minimum, direct.maximum,
                           direct.firstReading, direct.lastReading));
        EXPECT_NEAR(merged.mean, direct.mean, 1E-6);
        ASSERT_EQ(merged.standardDeviation.has_value(), direct.standardDeviation.has_value());
        if (direct.standardDeviation) {
            EXPECT_NEAR(*merged.standardDeviation, *direct.standardDeviation, 1E-7);
        }
    }
}

TEST(DescribeReadings, AllOfThemOrTheRangeWithItsTimes) {
    const std::vector<ReadingSeries> series = GroupIntoSeries(
        {{1, 1, 0, 0, 0}, {2, 1, 3, 7, 1}, {3, 1, 0, 0, 0}, {5, 1, 3, 0, 0}, {6, 1, 0, 0, 0}});
    const ReadingsInRange middle = CountReadings(series, 1.5, 5.2);
    EXPECT_EQ(std::tie(middle.count, middle.first, middle.last), std::make_tuple(3u, 2.0, 5.0))
        << "each record once, whatever its second display";
    TimeAxis axis;
    EXPECT_EQ(DescribeReadings(middle, 5, axis),
              "Readings 2\u2013"
              "5 of 5");
    axis.interval = 10;  // the elapsed times are told by the readings document's tests
    axis.start = *ParseLocalTime("2026-12-07 23:59:50");
    axis.kind = AxisKind::Clock;
    EXPECT_EQ(DescribeReadings(middle, 5, axis),
              "Readings 2\u2013"
              "5 of 5 (2026-12-08 00:00:00\u2013"
              "2026-12-08 00:00:30)");
    EXPECT_EQ(DescribeReadings(CountReadings(series, 0, 6), 5, axis), "All 5 readings");
    EXPECT_EQ(DescribeReadings(CountReadings(series, 3.2, 3.8), 5, axis), "No readings of 5");
}

TEST(NearestPoint, NearestOnTheScreenWithinReach) {
    const ReadingSeries series = SeriesOf({0, 0, 0, 0, 0, 100, HUGE_VAL, 0});
    const PixelScale scale{10, 1};  // 10 px a reading, 1 px a unit of value
    EXPECT_EQ(NearestPoint(series, 5.6, 0, scale, 8), 4u) << "reading 5 is 6 px off, 6 is 100";
    EXPECT_EQ(NearestPoint(series, 6, 97, scale, 8), 5u);
    EXPECT_EQ(NearestPoint(series, 7, 0, scale, 8), std::nullopt) << "reading 7 is not drawn";
    EXPECT_EQ(NearestPoint(series, 7.3, 0, scale, 5), std::nullopt) << "reading 8 is 7 px off";
    EXPECT_EQ(NearestPoint(series, 7.3, 0, scale, 8), 7u);
    EXPECT_EQ(NearestPoint(series, -50, 0, scale, 8), std::nullopt);
    EXPECT_EQ(NearestPoint(ReadingSeries{}, 1, 0, scale, 8), std::nullopt);
}

}  // namespace
}  // namespace rv7342

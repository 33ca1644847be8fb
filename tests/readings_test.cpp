#include "datafiles/readings.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <numeric>
#include <tuple>

#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

TEST(ReadDataFile, KeepsTheRecordsBeforeAFaultAndNamesTheFileTheLineAndTheReason) {
    TempDir dir;
    const std::tuple<const char*, const char*, std::size_t, std::string> cases[] = {
        {"good.dat", "1,1.5,3,0,0\r\n2,2.5,3,0,0\n3,3.5,3,0,0\r\n\r\n", 3, ""},
        {"bad.dat", "1,1,3,0,0\r\n2,1,3,0,0\r\n3,oops,3,0,0\r\n4,1,3,0,0\r\n", 2,
         "bad.dat, line 3: the value \"oops\" is not a number"},
        {"empty.dat", "", 0, "empty.dat holds no readings"},
        {"blank.dat", "\r\n\r\n", 0, "blank.dat holds no readings"},
        {"missing.dat", nullptr, 0, "Cannot open " + dir.Path("missing.dat") + ": No such file"},
    };
    for (const auto& [name, text, kept, reason] : cases) {
        SCOPED_TRACE(name);
        if (text) {
            dir.Write(name, text);
        }
        std::vector<Record> records{{9, 9, 9, 9, 9}};
        const Failure failure = ReadDataFile(dir.Path(name), records);
        EXPECT_TRUE(Contains(failure.value_or(""), reason));
        EXPECT_EQ(failure.has_value(), !reason.empty());
        EXPECT_EQ(records.size(), kept) << "what could be read, nothing from before";
    }
}

TEST(ReadDataFileRecords, ReadsTheCountOfTheLastTransferLikeTheTable) {
    TempDir dir;
    dir.Write("short.dat", "1,1,1,0,0\r\n2,2,1,0,0\r\n");
    const std::tuple<int, std::size_t, std::string> cases[] = {
        {1, 1, ""},  // only the records the transfer wrote
        {5, 2, "short.dat should hold 5 readings, but only 2 could be read"},
        {0, 0, "short.dat holds no readings"}};
    for (const auto& [count, kept, reason] : cases) {
        SCOPED_TRACE(count);
        std::vector<Record> records;
        const Failure failure = ReadDataFileRecords(dir.Path("short.dat"), count, records);
        EXPECT_EQ(failure.has_value(), !reason.empty());
        EXPECT_TRUE(Contains(failure.value_or(""), reason));
        EXPECT_EQ(records.size(), kept);
    }
}

TEST(GroupIntoSeries, OneSeriesPerUnitCodeAndDisplayNumberedByLine) {
    const std::vector<Record> records = {
        {1, 1.5, 5, 0.1, 0}, {2, 2.5, 3, 0.2, 0},     {3, 3.5, 5, 0.3, 1},
        {4, 4.5, 200, 0, 0}, {5, HUGE_VAL, -1, 0, 0}, {7, 6.5, 5, 0.5, 1},
    };
    const std::vector<ReadingSeries> series = GroupIntoSeries(records);
    using Numbers = std::vector<double>;
    const std::tuple<Display, int, Numbers, Numbers> expected[] = {
        {Display::First, -1, {5}, {HUGE_VAL}},
        {Display::First, 3, {2}, {2.5}},
        {Display::First, 5, {1, 3, 6}, {1.5, 3.5, 6.5}},
        {Display::First, 200, {4}, {4.5}},
        {Display::Second, 0, {1, 2, 4, 5}, {0.1, 0.2, 0, 0}},
        {Display::Second, 1, {3, 6}, {0.3, 0.5}},
    };
    ASSERT_EQ(series.size(), std::size(expected));
    for (std::size_t i = 0; i < series.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(
            std::tie(series[i].display, series[i].unitCode, series[i].numbers, series[i].values),
            expected[i])
            << "numbered by line, as the table is";
    }
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

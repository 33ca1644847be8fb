#include "document/readings_document.h"

#include <gtest/gtest.h>

#include <utility>

namespace rv7342 {
namespace {

UnitTable NamesWithVoltsDc() {
    UnitTable names{};
    LoadUnitTableFromText("0,\"V DC\"\n", names);
    return names;
}

// Two units on the first display, one real second display; 3000 readings, so that the range
// figures come from the blocks of a series as well as from single readings.
std::vector<Record> MixedRecords() {
    std::vector<Record> records;
    for (int i = 1; i <= 3000; ++i) {
        records.push_back({i, i % 7 * 1.5, i % 3 == 0 ? 57 : 0, i * 0.25, i % 3 == 0 ? 2 : 0});
    }
    return records;
}

TEST(ReadingsDocument, SeriesWithTheirLabelsFirstValuesShownAndTheWholeMemoryInRange) {
    const ReadingsDocument document("/data/run.dat", MixedRecords(), NamesWithVoltsDc());
    ASSERT_EQ(document.Series().size(), 4u);
    const struct {
        const char* unit;
        const char* label;
        bool shown;
    } expected[] = {{"V DC", "V DC", true},
                    {"unit 57", "unit 57", true},
                    {"V DC", "V DC (second display)", false},
                    {"unit 2", "unit 2 (second display)", false}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const DocumentSeries& series = document.Series()[i];
        EXPECT_EQ(series.unit, expected[i].unit);
        EXPECT_EQ(series.label, expected[i].label);
        EXPECT_EQ(series.shown, expected[i].shown);
        EXPECT_EQ(series.sourceFile, "/data/run.dat");
        EXPECT_EQ(series.whole.count, series.readings.values.size());
        EXPECT_EQ(document.RangeStatistics()[i].count, series.whole.count);
    }
    EXPECT_EQ(document.ReadingCount(), 3000u);
    EXPECT_LT(document.Range().lower, 1);
    EXPECT_GT(document.Range().upper, 3000);
    EXPECT_EQ(document.RangeLine(), "All 3000 readings");
}

TEST(ReadingsDocument, TheRangeShownGivesItsFiguresAndItsLineAlsoOnceMoved) {
    ReadingsDocument opened("run.dat", MixedRecords(), UnitTable{});
    ReadingsDocument document = std::move(opened);
    ReadingsDocument moved;
    moved = std::move(document);
    moved.SetRange({100, 2900.5});
    // Readings 100 to 2900: 933 multiples of 3 (102 to 2898, unit 57 and unit 2), 1868 others
    // (V DC). The first values i % 7 x 1.5 add up to 8407.5 and 4195.5, the second values
    // i x 0.25 average 375 in both.
    const struct {
        std::size_t count;
        double first, last, mean;
    } expected[] = {{1868, 100, 2900, 8407.5 / 1868},
                    {933, 102, 2898, 4195.5 / 933},
                    {1868, 100, 2900, 375},
                    {933, 102, 2898, 375}};
    ASSERT_EQ(moved.RangeStatistics().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const SeriesStatistics& figures = moved.RangeStatistics()[i];
        EXPECT_EQ(figures.count, expected[i].count);
        EXPECT_EQ(figures.firstReading, expected[i].first);
        EXPECT_EQ(figures.lastReading, expected[i].last);
        EXPECT_NEAR(figures.mean, expected[i].mean, 1e-12) << "summed in blocks";
    }
    EXPECT_EQ(moved.RangeLine(), "Readings 100\u20132900 of 3000");
    moved.SetAxis({10.0, std::nullopt, AxisKind::Elapsed});
    EXPECT_EQ(moved.RangeLine(), "Readings 100\u20132900 of 3000 (0:16:30\u20138:03:10)")
        << "the line tells the times of the axis set";
    moved.ShowWholeMemory();
    EXPECT_EQ(moved.RangeLine(), "All 3000 readings");
    moved.Show(0, false);
    moved.Show(3, true);
    EXPECT_FALSE(moved.Shown(0));
    EXPECT_TRUE(moved.Shown(3));
}

// Cursors, the statistics between them, and limits are the document's: the window and the
// command line read the same figures from it.
TEST(ReadingsDocument, CursorsAndLimitsWithTheirFigures) {
    ReadingsDocument document("run.dat", MixedRecords(), NamesWithVoltsDc());
    document.SetAxis({10.0, std::nullopt, AxisKind::Elapsed});
    EXPECT_TRUE(document.Readout().empty()) << "no cursor, no readout";
    document.SetCursors(20, 10);
    document.SetStatisticsBetweenCursors(true);
    EXPECT_EQ(document.RangeLine(),
              "Between the cursors: Readings 10\u201320 of 3000 "
              "(0:01:30\u20130:03:10)");
    // V DC's readings 10, 11, 13, 14, 16, 17, 19 and 20: 4.5, 6, 9, 0, 3, 4.5, 7.5 and 9.
    EXPECT_EQ(document.RangeStatistics()[0].count, 8u);
    EXPECT_DOUBLE_EQ(document.RangeStatistics()[0].mean, 43.5 / 8);
    EXPECT_EQ(document.RangeStatistics()[0].maximum, 9);
    const auto readout = document.Readout();
    ASSERT_EQ(readout.size(), 4u) << "header, readings, and the two series shown";
    EXPECT_EQ(readout[1][3], "-10 readings, -0:01:40");
    EXPECT_EQ(readout[2][0], "V DC");

    // V DC's first values are i % 7 x 1.5, of every i that is not a multiple of 3.
    document.SetLimits("V DC", {std::nullopt, 6.0});
    EXPECT_EQ(document.LimitsOf(2).upper, 6.0) << "the second display of the same unit too";
    EXPECT_FALSE(document.LimitsOf(1).Any());
    const LimitFigures& figures = document.RangeLimitFigures()[0];
    EXPECT_EQ(figures.above, 3u) << "readings 13, 19 and 20; 11 lies on the limit";
    EXPECT_EQ(figures.firstOutside, 13);
    EXPECT_EQ(figures.outsideSeconds, 30);
    document.SetStatisticsBetweenCursors(false);
    EXPECT_EQ(document.RangeLine(), "All 3000 readings");
    document.SetLimits("V DC", {});
    EXPECT_TRUE(document.UnitLimits().empty());
}

// The file compared with itself at another interval, and the same file compared twice: every
// comparison stays, each with its own series and line-up, by reading number until the axis
// shows times; removing a file removes its own.
TEST(ReadingsDocument, AFileComparedWithItselfOrTwiceIsComparedEachTime) {
    const std::vector<Record> records = {{1, 1, 0, 0, 0}, {2, 2, 0, 0, 0}, {3, 3, 0, 0, 0}};
    ReadingsDocument document("/data/run.dat", records, NamesWithVoltsDc());
    document.AddComparedFile("/data/run.dat", records, NamesWithVoltsDc(),
                             {5.0, std::nullopt, AxisKind::Elapsed});
    EXPECT_EQ(document.Series()[1].readings.numbers, (std::vector<double>{1, 2, 3}))
        << "by reading number while the axis shows numbers";
    document.SetAxis({10.0, std::nullopt, AxisKind::Elapsed});
    document.AddComparedFile("/data/run2.dat", records, NamesWithVoltsDc(), {});
    document.AddComparedFile("/data/run.dat", records, NamesWithVoltsDc(),
                             {20.0, std::nullopt, AxisKind::Elapsed});
    ASSERT_EQ(document.Series().size(), 4u);
    const struct {
        std::size_t source;
        const char* label;
        const char* file;
        std::vector<double> numbers;
    } expected[] = {{0, "V DC", "/data/run.dat", {1, 2, 3}},
                    {1, "V DC \xC2\xB7 run.dat", "/data/run.dat", {1, 1.5, 2}},
                    {2, "V DC \xC2\xB7 run2.dat", "/data/run2.dat", {1, 2, 3}},
                    {3, "V DC \xC2\xB7 run.dat", "/data/run.dat", {1, 3, 5}}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(document.Series()[i].source, expected[i].source);
        EXPECT_EQ(document.Series()[i].label, expected[i].label);
        EXPECT_EQ(document.Series()[i].unit, "V DC");
        EXPECT_EQ(document.Series()[i].sourceFile, expected[i].file);
        EXPECT_EQ(document.Series()[i].readings.numbers, expected[i].numbers);
    }
    EXPECT_EQ(document.RangeLine(), "All 3 readings") << "the file's own readings only";
    EXPECT_EQ(document.ComparedFiles(),
              (std::vector<std::string>{"/data/run.dat", "/data/run2.dat", "/data/run.dat"}));
    document.SetRange({1.2, 2});
    EXPECT_EQ(document.RangeStatistics()[1].count, 2u) << "its readings at 1.5 and 2";

    document.RemoveComparedFile("/data/run.dat");
    ASSERT_EQ(document.Series().size(), 2u);
    EXPECT_EQ(document.RangeStatistics().size(), 2u);
    EXPECT_EQ(document.Series()[0].label, "V DC") << "the file's own readings stay";
    EXPECT_EQ(document.Series()[1].source, 1u);
    EXPECT_EQ(document.Series()[1].label, "V DC \xC2\xB7 run2.dat");
    document.SetAxis({5.0, std::nullopt, AxisKind::Elapsed});
    EXPECT_EQ(document.Series()[1].readings.numbers, (std::vector<double>{1, 2, 3}))
        << "lined up as its own file, which has no interval";
    document.RemoveComparedFile("/data/run2.dat");
    EXPECT_EQ(document.Series().size(), 1u);
    EXPECT_TRUE(document.ComparedFiles().empty());
}

// A thermocouple adapter's millivolts in degrees: the series in its new unit with its figures
// and limits, a compared file's too; taken back, the values are as read again.
TEST(ReadingsDocument, ConversionsGiveTheSeriesItsNewUnit) {
    ReadingsDocument document("/data/run.dat", MixedRecords(), NamesWithVoltsDc());
    document.AddComparedFile("/data/run2.dat", {{1, 2.5, 2, 0, 0}}, NamesWithVoltsDc(), {});
    const std::vector<double> read = document.Series()[3].readings.values;
    document.SetConversions({{"unit 2", "deg C", 10, -5}});
    const DocumentSeries& converted = document.Series()[3];
    EXPECT_EQ(converted.unit, "deg C");
    EXPECT_EQ(converted.readUnit, "unit 2");
    EXPECT_EQ(converted.label, "deg C (second display)");
    EXPECT_DOUBLE_EQ(converted.readings.values[0], 2.5) << "reading 3: 0.75 x 10 - 5";
    EXPECT_DOUBLE_EQ(converted.whole.maximum, 7495) << "reading 3000: 750 x 10 - 5";
    EXPECT_EQ(document.Series()[4].label, "deg C \xC2\xB7 run2.dat") << "a compared file's too";
    EXPECT_EQ(document.Series()[0].unit, "V DC");

    document.SetLimits("deg C", {std::nullopt, 0.0});
    EXPECT_EQ(document.LimitsOf(3).upper, 0.0);
    document.ShowWholeMemory();
    EXPECT_EQ(document.RangeLimitFigures()[3].above, 1000u) << "every one from 2.5 up";
    document.SetConversions({});
    EXPECT_EQ(document.Series()[3].readings.values, read);
    EXPECT_EQ(document.Series()[3].unit, "unit 2");
    EXPECT_FALSE(document.LimitsOf(3).Any()) << "the limit was the new unit's";
}

TEST(ReadingsDocument, EmptyShowsNothing) {
    const ReadingsDocument document;
    EXPECT_TRUE(document.Series().empty());
    EXPECT_EQ(document.ReadingCount(), 0u);
    EXPECT_EQ(document.LeftOut(), 0u);
}

}  // namespace
}  // namespace rv7342

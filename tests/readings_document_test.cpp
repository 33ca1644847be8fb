#include "readings/readings_document.h"

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
        const DocumentSeries& series = document.Series()[i];
        EXPECT_EQ(series.unit, expected[i].unit) << i;
        EXPECT_EQ(series.label, expected[i].label) << i;
        EXPECT_EQ(series.shown, expected[i].shown) << i;
        EXPECT_EQ(series.sourceFile, "/data/run.dat") << i;
        EXPECT_EQ(series.whole.count, series.readings.values.size()) << i;
    }
    EXPECT_EQ(document.ReadingCount(), 3000u);
    EXPECT_LT(document.Range().lower, 1);
    EXPECT_GT(document.Range().upper, 3000);
    EXPECT_EQ(document.RangeLine(), "All 3000 readings");
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(document.RangeStatistics()[i].count, document.Series()[i].whole.count) << i;
    }
}

TEST(ReadingsDocument, TheRangeShownGivesItsFiguresAndItsLineAlsoOnceMoved) {
    ReadingsDocument opened("run.dat", MixedRecords(), UnitTable{});
    ReadingsDocument document = std::move(opened);
    ReadingsDocument moved;
    moved = std::move(document);
    moved.SetRange({100, 2900.5});
    for (std::size_t i = 0; i < moved.Series().size(); ++i) {
        const SeriesStatistics expected =
            ComputeStatistics(moved.Series()[i].readings, 100, 2900.5);
        const SeriesStatistics& figures = moved.RangeStatistics()[i];
        EXPECT_EQ(figures.count, expected.count) << i;
        EXPECT_EQ(figures.firstReading, expected.firstReading) << i;
        EXPECT_EQ(figures.lastReading, expected.lastReading) << i;
        EXPECT_DOUBLE_EQ(figures.mean, expected.mean) << i;
    }
    EXPECT_EQ(moved.RangeLine(),
              "Readings 100\u2013"
              "2900 of 3000");
    moved.SetAxis({10.0, std::nullopt, AxisKind::Elapsed});
    EXPECT_EQ(moved.RangeLine(),
              "Readings 100\u2013"
              "2900 of 3000 (0:16:30\u2013"
              "8:03:10)")
        << "the line tells the times of the axis set";
    moved.ShowWholeMemory();
    EXPECT_EQ(moved.RangeLine(), "All 3000 readings");
    moved.Show(0, false);
    moved.Show(3, true);
    EXPECT_FALSE(moved.Shown(0));
    EXPECT_TRUE(moved.Shown(3));
}

TEST(ReadingsDocument, EmptyShowsNothing) {
    const ReadingsDocument document;
    EXPECT_TRUE(document.Series().empty());
    EXPECT_EQ(document.ReadingCount(), 0u);
    EXPECT_EQ(document.LeftOut(), 0u);
}

}  // namespace
}  // namespace rv7342

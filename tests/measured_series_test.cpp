#include "measuring/measured_series.h"

#include <gtest/gtest.h>

namespace rv7342 {
namespace {

UnitTable Names() {
    UnitTable names{};
    EXPECT_EQ(LoadUnitTable(RV7342_SOURCE_DIR "/app/unit2.dat", names), std::nullopt);
    return names;
}

// The other file logs every 5 s, the own one every 10 s: its readings 1 to 5 stand at the own
// file's readings 1 to 3, converted from millivolts to degrees.
TEST(MeasureSeries, ConvertedLinedUpAndCountedInTheFilesOwnNumbers) {
    const std::vector<Record> records = {
        {1, 20, 2, 0, 0}, {2, 25, 2, 0, 0}, {3, 90, 2, 0, 0}, {4, 12, 0, 0, 0}, {5, 95, 2, 0, 0}};
    const TimeAxis own{10.0, std::nullopt, AxisKind::Elapsed};
    const TimeAxis other{5.0, std::nullopt, AxisKind::Elapsed};
    const std::vector<Conversion> conversions = {{"mV DC", "deg C", 1, 0.5}};
    const std::vector<MeasuredSeries> series =
        MeasureSeries(records, Names(), conversions, "run2.dat",
                      LineUpFiles(own, other, AxisKind::Elapsed), other.interval);
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[1].unit, "deg C");
    EXPECT_EQ(series[1].convertedFrom, "mV DC");
    EXPECT_EQ(series[1].file, "run2.dat");
    EXPECT_EQ(series[1].series.numbers, (std::vector<double>{1, 1.5, 2, 3}));
    EXPECT_EQ(series[1].series.values, (std::vector<double>{20.5, 25.5, 90.5, 95.5}));
    EXPECT_EQ(series[0].unit, "V DC");
    EXPECT_EQ(series[0].convertedFrom, "");
    EXPECT_EQ(series[0].series.numbers, (std::vector<double>{2.5}));

    // The own readings 1.5 to 3: the other file's readings 2 to 5.
    const MeasuredFigures figures = MeasureFigures(series[1], {std::nullopt, 50.0}, 1.5, 3);
    EXPECT_EQ(figures.statistics.count, 3u);
    EXPECT_EQ(figures.statistics.firstReading, 2);
    EXPECT_EQ(figures.statistics.lastReading, 5);
    EXPECT_EQ(figures.limits.above, 2u);
    EXPECT_EQ(figures.limits.firstOutside, 3);
    EXPECT_EQ(figures.limits.outsideSeconds, 10) << "two readings of the other file's 5 s";
}

}  // namespace
}  // namespace rv7342

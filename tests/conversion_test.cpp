#include "measuring/conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "tests/text_contains.h"

namespace rv7342 {
namespace {

TEST(Conversion, FactorAndOffsetOnMeasuredValuesOnly) {
    const Conversion kelvin{"mV DC", "deg C", 0.1, -273.15};
    const ReadingSeries series{Display::Second, 9, {1, 2, 5}, {2931.5, NAN, 3731.5}};
    const ReadingSeries converted = Converted(series, kelvin);
    EXPECT_EQ(converted.numbers, series.numbers);
    EXPECT_EQ(converted.display, Display::Second);
    EXPECT_NEAR(converted.values[0], 20, 1e-9);
    EXPECT_TRUE(std::isnan(converted.values[1])) << "not measured stays so";
    EXPECT_NEAR(converted.values[2], 100, 1e-9);
    EXPECT_EQ(DescribeConversion(kelvin), "mV DC \xE2\x86\x92 deg C: \xC3\x97 0.1 - 273.15");
    EXPECT_EQ(DescribeConversion({"mV DC", "A", 1, 0}), "mV DC \xE2\x86\x92 A: \xC3\x97 1 + 0");

    const std::vector<Conversion> conversions = {kelvin, {"V DC", "bar", 2.5, 0}};
    ASSERT_NE(ConversionOf(conversions, "V DC"), nullptr);
    EXPECT_EQ(ConversionOf(conversions, "V DC")->newUnit, "bar");
    EXPECT_EQ(ConversionOf(conversions, "A DC"), nullptr);
}

TEST(Conversion, WhatCannotBeAppliedIsRefusedWithItsReason) {
    const std::tuple<Conversion, std::string> cases[] = {
        {{"mV DC", "deg C", 1, 0}, ""},
        {{"mV DC", "deg C", -2, 1e6}, ""},
        {{"", "deg C", 1, 0}, "needs the unit it converts and the unit it gives"},
        {{"mV DC", "", 1, 0}, "needs the unit it converts and the unit it gives"},
        {{"mV DC", "deg C", 0, 5}, "a factor of 0 would make every reading in mV DC the same"},
        {{"mV DC", "deg C", NAN, 0}, "must be numbers"},
        {{"mV DC", "deg C", 1, HUGE_VAL}, "must be numbers"},
    };
    for (const auto& [conversion, reason] : cases) {
        SCOPED_TRACE(reason);
        const Failure failure = CheckConversion(conversion);
        EXPECT_EQ(failure.has_value(), !reason.empty());
        EXPECT_TRUE(Contains(failure.value_or(""), reason));
    }
}

TEST(Conversion, TwoPointCalibration) {
    // A 4-20 mA pressure transmitter for 0 to 10 bar.
    Conversion pressure{"mA DC", "bar", 1, 0};
    ASSERT_EQ(TwoPointConversion(4, 0, 20, 10, pressure), std::nullopt);
    EXPECT_DOUBLE_EQ(pressure.factor, 0.625);
    EXPECT_DOUBLE_EQ(pressure.offset, -2.5);
    EXPECT_EQ(pressure.newUnit, "bar");
    Conversion reversed{"mA DC", "bar", 1, 0};
    ASSERT_EQ(TwoPointConversion(20, 10, 4, 0, reversed), std::nullopt);
    EXPECT_EQ(reversed, pressure) << "the order of the points does not matter";

    const std::tuple<double, double, double, double, std::string> refused[] = {
        {12, 0, 12, 10, "two equal readings (12) cannot tell a conversion"},
        {4, 3, 20, 3, "two readings that stand for the same value (3)"},
        {4, 0, 20, HUGE_VAL, "must be numbers"},
    };
    for (const auto& [r1, v1, r2, v2, reason] : refused) {
        SCOPED_TRACE(reason);
        Conversion conversion{"mA DC", "bar", 7, 8};
        EXPECT_TRUE(Contains(TwoPointConversion(r1, v1, r2, v2, conversion).value_or(""), reason));
        EXPECT_EQ(conversion, (Conversion{"mA DC", "bar", 7, 8})) << "left as it was";
    }
}

}  // namespace
}  // namespace rv7342

#include "measuring/options.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/text_contains.h"

namespace rv7342 {
namespace {

using Number = std::optional<double>;
const Number kNone;

TEST(ParseLimitOption, EitherSideMayBeEmptyAndABadValueIsNamed) {
    const std::tuple<const char*, std::string, Number, Number, std::string> cases[] = {
        {"V DC=11.5:", "V DC", 11.5, kNone, ""},
        {"V DC=:14.4", "V DC", kNone, 14.4, ""},
        {"deg C=-5:1E2", "deg C", -5.0, 100.0, ""},
        {" deg C = 3 : 3 ", "deg C", 3.0, 3.0, ""},
        {"V DC=:", "", kNone, kNone, "--limit: 'V DC=:': it gives neither a lower nor an upper"},
        {"V DC=12:11", "", kNone, kNone, "'V DC=12:11': the lower limit lies above the upper"},
        {"V DC=low:11", "", kNone, kNone, "--limit: 'V DC=low:11': the lower limit 'low' is not"},
        {"V DC=1:nan", "", kNone, kNone, "the upper limit 'nan' is not a number"},
        {"V DC=1:1E999", "", kNone, kNone, "the upper limit '1E999' is not a number"},
        {"V DC=11.5", "", kNone, kNone, "--limit: 'V DC=11.5': give it as UNIT=LOW:HIGH"},
        {"=1:2", "", kNone, kNone, "--limit: '=1:2': give it as UNIT=LOW:HIGH"},
        {"V DC=1:2:3", "", kNone, kNone, "--limit: 'V DC=1:2:3': give it as UNIT=LOW:HIGH"},
    };
    for (const auto& [text, unit, lower, upper, reason] : cases) {
        SCOPED_TRACE(text);
        UnitLimits limit{"kept", {0.0, 1.0}};
        const Failure failure = ParseLimitOption(text, limit);
        EXPECT_TRUE(Contains(failure.value_or(""), reason));
        EXPECT_EQ(failure.has_value(), !reason.empty());
        if (!failure) {
            EXPECT_EQ(limit.unit, unit);
            EXPECT_EQ(limit.limits, (Limits{lower, upper}));
        } else {
            EXPECT_EQ(limit.unit, "kept") << "left alone on a failure";
        }
    }
}

TEST(ParseConvertOption, UnitNewUnitFactorAndOffset) {
    const std::tuple<const char*, Conversion, std::string> cases[] = {
        {"mV DC=deg C:1,0", {"mV DC", "deg C", 1, 0}, ""},
        {"mV DC=deg C:0.1,-273.15", {"mV DC", "deg C", 0.1, -273.15}, ""},
        {"mV DC=A:2", {"mV DC", "A", 2, 0}, ""},
        {"V DC=m=s:1,0", {"V DC", "m=s", 1, 0}, ""},
        {"mV DC=deg C:x,0", {}, "--convert: 'mV DC=deg C:x,0': the factor 'x' is not a number"},
        {"mV DC=deg C:1,", {}, "the offset '' is not a number"},
        {"mV DC=deg C:0,5", {}, "a factor of 0 would make every reading in mV DC the same"},
        {"mV DC=:1,0", {}, "needs the unit it converts and the unit it gives"},
        {"mV DC:1,0", {}, "--convert: 'mV DC:1,0': give it as UNIT=NEWUNIT:FACTOR,OFFSET"},
        {"mV DC=deg C", {}, "give it as UNIT=NEWUNIT:FACTOR,OFFSET"},
    };
    for (const auto& [text, expected, reason] : cases) {
        SCOPED_TRACE(text);
        Conversion conversion{"kept", "kept", 3, 4};
        const Failure failure = ParseConvertOption(text, conversion);
        EXPECT_TRUE(Contains(failure.value_or(""), reason));
        EXPECT_EQ(failure.has_value(), !reason.empty());
        EXPECT_EQ(conversion, (failure ? Conversion{"kept", "kept", 3, 4} : expected));
    }
}

TEST(OptionTexts, ReadBackAsTheSameLimitsAndConversions) {
    for (const UnitLimits& limit :
         {UnitLimits{"V DC", {11.5, kNone}}, UnitLimits{"deg C", {kNone, -0.25}},
          UnitLimits{"a=b", {-1E-5, 1E20}}}) {
        SCOPED_TRACE(LimitOptionText(limit));
        UnitLimits read;
        ASSERT_EQ(ParseLimitOption(LimitOptionText(limit), read), std::nullopt);
        EXPECT_EQ(read.unit, limit.unit);
        EXPECT_EQ(read.limits, limit.limits);
    }
    EXPECT_EQ(LimitOptionText({"V DC", {11.5, kNone}}), "V DC=11.5:");
    for (const Conversion& conversion :
         {Conversion{"mV DC", "deg C", 1, 0}, Conversion{"V DC", "a=b:c", -0.25, 1E20}}) {
        SCOPED_TRACE(ConvertOptionText(conversion));
        Conversion read;
        ASSERT_EQ(ParseConvertOption(ConvertOptionText(conversion), read), std::nullopt);
        EXPECT_EQ(read, conversion);
    }
}

TEST(ParseBetweenOption, TwoReadingNumbersInEitherOrder) {
    Cursors cursors;
    ASSERT_EQ(ParseBetweenOption("1200", "31.5", cursors), std::nullopt);
    EXPECT_EQ(cursors.a, 1200);
    EXPECT_EQ(cursors.b, 31.5);
    EXPECT_EQ(ParseBetweenOption("1", "end", cursors).value_or(""),
              "--between: 'end' is not a reading number");
    EXPECT_EQ(ParseBetweenOption("inf", "2", cursors).value_or(""),
              "--between: 'inf' is not a reading number");
    EXPECT_EQ(cursors.a, 1200) << "left alone on a failure";
}

TEST(ParseCompareOption, TheFileWithItsOwnIntervalAndStart) {
    const double start = ParseLocalTime("2026-12-01 10:00:00").value();
    const std::tuple<const char*, std::string, Number, Number, std::string> cases[] = {
        {"run2.dat", "run2.dat", kNone, kNone, ""},
        {"run2.dat,interval=5", "run2.dat", 5.0, kNone, ""},
        {"run2.dat,interval=5,start=2026-12-01T10:00:00", "run2.dat", 5.0, start, ""},
        {"run2.dat,start=2026-12-01 10:00,interval=0.5", "run2.dat", 0.5, start, ""},
        {"a,b.dat", "a,b.dat", kNone, kNone, ""},
        {"run2.dat,interval=0", "", kNone, kNone,
         "--compare: 'run2.dat,interval=0': '0' is not a logging interval of 0.1 to 86400"},
        {"run2.dat,start=yesterday", "", kNone, kNone,
         "--compare: 'run2.dat,start=yesterday': 'yesterday' is no date and time"},
        {",interval=5", "", kNone, kNone, "--compare: ',interval=5': the data file is missing"},
        {"", "", kNone, kNone, "the data file is missing"},
    };
    for (const auto& [text, path, interval, begin, reason] : cases) {
        SCOPED_TRACE(text);
        ComparedFile file{"kept", kNone, kNone};
        const Failure failure = ParseCompareOption(text, file);
        EXPECT_TRUE(Contains(failure.value_or(""), reason));
        EXPECT_EQ(failure.has_value(), !reason.empty());
        EXPECT_EQ(file.path, failure ? "kept" : path);
        EXPECT_EQ(file.interval, interval);
        EXPECT_EQ(file.start, begin);
    }
}

}  // namespace
}  // namespace rv7342

#include "measuring/limits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace rv7342 {
namespace {

// Readings 5 and 6 are missing; 1 and 3 lie on the limits of 5 to 11.
const ReadingSeries kSeries{
    Display::First, 4, {1, 2, 3, 4, 7, 8, 9, 10}, {5, 10, 11, 4, 12, 12, NAN, 3}};

TEST(LimitFigures, CountsTimeOutsideAndFirstOutside) {
    using Number = std::optional<double>;
    const Number none;
    struct Case {
        const char* name;
        Limits limits;
        double from, to;
        Number interval;
        std::size_t below, above;
        Number seconds, first;
    };
    const Case cases[] = {
        {"both, on a limit is within", {5.0, 11.0}, 1, 10, 10.0, 2, 2, 40.0, 4.0},
        {"lower only", {5.0, none}, 1, 10, 10.0, 2, 0, 20.0, 4.0},
        {"upper only", {none, 11.0}, 1, 10, 2.0, 0, 2, 4.0, 7.0},
        {"across the gap, counted by readings", {none, 11.0}, 4, 8, 10.0, 0, 2, 20.0, 7.0},
        {"the range's ends included", {5.0, 11.0}, 4, 7, 10.0, 1, 1, 20.0, 4.0},
        {"no interval, no time", {5.0, 11.0}, 1, 10, none, 2, 2, none, 4.0},
        {"no limit", {none, none}, 1, 10, 10.0, 0, 0, none, none},
        {"nothing outside", {0.0, 100.0}, 1, 10, 10.0, 0, 0, 0.0, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LimitFigures figures =
            ComputeLimitFigures(kSeries, c.limits, c.from, c.to, c.interval);
        EXPECT_EQ(figures.below, c.below);
        EXPECT_EQ(figures.above, c.above);
        EXPECT_EQ(figures.outsideSeconds, c.seconds);
        EXPECT_EQ(figures.firstOutside, c.first);
    }
}

TEST(LimitFigures, SidesAndTheReadingsMarked) {
    const Limits limits{5.0, 11.0};
    const std::tuple<double, Side> sides[] = {{5, Side::Within},        {11, Side::Within},
                                              {4.999, Side::Below},     {11.001, Side::Above},
                                              {NAN, Side::Within},      {HUGE_VAL, Side::Within},
                                              {-HUGE_VAL, Side::Within}};
    for (const auto& [value, side] : sides) {
        SCOPED_TRACE(value);
        EXPECT_EQ(SideOf(limits, value), side);
    }
    const PlotPoints marked = OutsidePoints(kSeries, limits, 1, 10);
    EXPECT_EQ(marked.numbers, (std::vector<double>{4, 7, 8, 10}));
    EXPECT_EQ(marked.values, (std::vector<double>{4, 12, 12, 3}));
    EXPECT_TRUE(OutsidePoints(kSeries, {}, 1, 10).numbers.empty());
}

}  // namespace
}  // namespace rv7342

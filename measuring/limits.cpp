#include "measuring/limits.h"

#include <algorithm>

#include "readings/statistics.h"

namespace rv7342 {

Side SideOf(const Limits& limits, double value) {
    if (!IsMeasured(value)) {
        return Side::Within;
    }
    if (limits.lower && value < *limits.lower) {
        return Side::Below;
    }
    if (limits.upper && value > *limits.upper) {
        return Side::Above;
    }
    return Side::Within;
}

LimitFigures ComputeLimitFigures(const ReadingSeries& series, const Limits& limits, double from,
                                 double to, std::optional<double> interval) {
    LimitFigures figures;
    if (!limits.Any()) {
        return figures;
    }
    const auto [begin, end] = IndicesWithin(series.numbers, from, to);
    for (std::size_t i = begin; i < end; ++i) {
        const Side side = SideOf(limits, series.values[i]);
        if (side == Side::Within) {
            continue;
        }
        ++(side == Side::Below ? figures.below : figures.above);
        if (!figures.firstOutside) {
            figures.firstOutside = series.numbers[i];
        }
    }
    if (interval) {
        figures.outsideSeconds = static_cast<double>(figures.below + figures.above) * *interval;
    }
    return figures;
}

PlotPoints OutsidePoints(const ReadingSeries& series, const Limits& limits, double from,
                         double to) {
    PlotPoints points;
    if (!limits.Any()) {
        return points;
    }
    const auto [begin, end] = IndicesWithin(series.numbers, from, to);
    for (std::size_t i = begin; i < end; ++i) {
        if (SideOf(limits, series.values[i]) != Side::Within) {
            points.numbers.push_back(series.numbers[i]);
            points.values.push_back(series.values[i]);
        }
    }
    return points;
}

}  // namespace rv7342

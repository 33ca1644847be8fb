#pragma once
// A lower and an upper limit for the readings of a unit, and how the readings of a series keep
// to them: how many lie below and above, for how long, and which first left them.

#include <cstddef>
#include <optional>

#include "readings/plot_points.h"
#include "readings/series.h"

namespace rv7342 {

// Either limit may be left out. A value on a limit is within it.
struct Limits {
    std::optional<double> lower;
    std::optional<double> upper;

    bool Any() const { return lower || upper; }
    bool operator==(const Limits& other) const {
        return lower == other.lower && upper == other.upper;
    }
};

enum class Side { Within, Below, Above };

// A value that is not measured is within: nothing is known of it.
Side SideOf(const Limits& limits, double value);

struct LimitFigures {
    std::size_t below = 0;
    std::size_t above = 0;
    // Each reading outside counts for one logging interval, so readings missing from the
    // series add nothing: what happened while none was taken is not known. With an interval.
    std::optional<double> outsideSeconds;
    std::optional<double> firstOutside;  // reading number
};

// The figures of the readings numbered `from` to `to`, both included; `interval` is the
// series' logging interval, when known.
LimitFigures ComputeLimitFigures(const ReadingSeries& series, const Limits& limits, double from,
                                 double to, std::optional<double> interval);

// The readings outside the limits numbered `from` to `to`, to mark on the chart.
PlotPoints OutsidePoints(const ReadingSeries& series, const Limits& limits, double from, double to);

}  // namespace rv7342

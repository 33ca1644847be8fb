#pragma once
// The few points of a series worth drawing on a screen, and the point nearest to the pointer.

#include <cstddef>
#include <optional>
#include <vector>

#include "readings/series.h"

namespace rv7342 {

struct PlotPoints {
    std::vector<double> numbers;
    std::vector<double> values;
};

// The measured points of `series` to draw between reading numbers `from` and `to` across
// `columns` pixel columns. Every point is kept while there are at most a few per column;
// beyond that each column keeps its first, lowest, highest and last value, so that the line
// looks the same and no spike disappears. The nearest point on either side of the range is kept as
// well, so that the line runs on to the edges.
PlotPoints ReduceForDrawing(const ReadingSeries& series, double from, double to, int columns);

// Where a point lies on the screen: reading numbers and values scaled to pixels.
struct PixelScale {
    double perReading = 1;
    double perValue = 1;
};

// The index of the measured point of `series` nearest to (number, value) on the screen, if
// one lies within `reach` pixels of it.
std::optional<std::size_t> NearestPoint(const ReadingSeries& series, double number, double value,
                                        PixelScale scale, double reach);

}  // namespace rv7342

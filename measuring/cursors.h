#pragma once
// Two cursors on the readings, A and B, each standing on a reading number: what every series
// reads there, and the differences from A to B with each series' slope.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "readings/series.h"
#include "readings/statistics.h"
#include "readings/time_axis.h"

namespace rv7342 {

struct Cursors {
    double a = 1;  // reading numbers
    double b = 1;
};

// The readings between the cursors, both ends included, whichever of them comes first.
Span BetweenCursors(Cursors cursors);

// The index of the reading of `series` at `number` or the nearest one before it; none when
// the series has no reading there or before.
std::optional<std::size_t> ReadingAtOrBefore(const ReadingSeries& series, double number);

enum class SlopeUnit { PerSecond, PerMinute, PerHour, PerReading };

struct Slope {
    double change = 0;
    SlopeUnit per = SlopeUnit::PerSecond;
};

// A change per second told per second, minute or hour: the first of them in which it reaches
// 1 in magnitude, per hour when none does.
Slope ReadableSlope(double perSecond);
// "/s", "/min", "/h", "/reading".
std::string SlopeUnitText(SlopeUnit unit);

// One series at the cursors. The values are those of the series' readings at or nearest
// before each cursor; a reading whose value is not measured has none.
struct CursorValues {
    std::optional<double> readingA;
    std::optional<double> readingB;
    std::optional<double> valueA;
    std::optional<double> valueB;
    std::optional<double> difference;  // B - A
    // Between the two readings the values are of: per unit of time with an interval, otherwise
    // per reading; none where both values are of the same reading.
    std::optional<Slope> slope;
};

struct CursorReadout {
    Cursors cursors;
    double readings = 0;               // B - A
    std::optional<double> seconds;     // B - A, with an interval
    std::vector<CursorValues> series;  // in the order of the series given
};

// `interval` is the time between two reading numbers, when known.
CursorReadout ReadCursors(const std::vector<const ReadingSeries*>& series, Cursors cursors,
                          std::optional<double> interval);

// The reading numbers of a file, rising: those of its first values, one for each record.
std::vector<double> FileReadings(const std::vector<ReadingSeries>& series);
// The reading of `readings` nearest to `number`; `number` itself when there is none.
double NearestReading(const std::vector<double>& readings, double number);
// The reading `steps` readings after the one nearest to `number` (before it when negative),
// stopping at the first and the last.
double StepReadings(const std::vector<double>& readings, double number, int steps);

// The readout as a table of text, a header row first: a row for each cursor (its reading and
// its time on a time axis), one for B - A, then one for each series (its label, its values at
// A and B, B - A and the slope).
std::vector<std::vector<std::string>> ReadoutTable(const CursorReadout& readout,
                                                   const std::vector<std::string>& labels,
                                                   const TimeAxis& axis);

}  // namespace rv7342

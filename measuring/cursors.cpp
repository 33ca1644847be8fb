#include "measuring/cursors.h"

#include <algorithm>
#include <cmath>

namespace rv7342 {

Span BetweenCursors(Cursors cursors) {
    return {std::min(cursors.a, cursors.b), std::max(cursors.a, cursors.b)};
}

std::optional<std::size_t> ReadingAtOrBefore(const ReadingSeries& series, double number) {
    const auto after = std::upper_bound(series.numbers.begin(), series.numbers.end(), number);
    if (after == series.numbers.begin()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(after - series.numbers.begin()) - 1;
}

Slope ReadableSlope(double perSecond) {
    if (std::fabs(perSecond) >= 1) {
        return {perSecond, SlopeUnit::PerSecond};
    }
    if (std::fabs(perSecond * 60) >= 1) {
        return {perSecond * 60, SlopeUnit::PerMinute};
    }
    return {perSecond * 3600, SlopeUnit::PerHour};
}

std::string SlopeUnitText(SlopeUnit unit) {
    switch (unit) {
        case SlopeUnit::PerSecond:
            return "/s";
        case SlopeUnit::PerMinute:
            return "/min";
        case SlopeUnit::PerHour:
            return "/h";
        case SlopeUnit::PerReading:
            break;
    }
    return "/reading";
}

namespace {

void ReadAt(const ReadingSeries& series, double cursor, std::optional<double>& reading,
            std::optional<double>& value) {
    if (const std::optional<std::size_t> index = ReadingAtOrBefore(series, cursor)) {
        reading = series.numbers[*index];
        if (IsMeasured(series.values[*index])) {
            value = series.values[*index];
        }
    }
}

CursorValues ReadSeries(const ReadingSeries& series, Cursors cursors,
                        std::optional<double> interval) {
    CursorValues values;
    ReadAt(series, cursors.a, values.readingA, values.valueA);
    ReadAt(series, cursors.b, values.readingB, values.valueB);
    if (!values.valueA || !values.valueB) {
        return values;
    }
    values.difference = *values.valueB - *values.valueA;
    const double readings = *values.readingB - *values.readingA;
    if (readings == 0) {
        return values;
    }
    values.slope = interval ? ReadableSlope(*values.difference / (readings * *interval))
                            : Slope{*values.difference / readings, SlopeUnit::PerReading};
    return values;
}

}  // namespace

CursorReadout ReadCursors(const std::vector<const ReadingSeries*>& series, Cursors cursors,
                          std::optional<double> interval) {
    CursorReadout readout;
    readout.cursors = cursors;
    readout.readings = cursors.b - cursors.a;
    if (interval) {
        readout.seconds = readout.readings * *interval;
    }
    for (const ReadingSeries* one : series) {
        readout.series.push_back(ReadSeries(*one, cursors, interval));
    }
    return readout;
}

}  // namespace rv7342

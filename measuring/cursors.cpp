#include "measuring/cursors.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "datafiles/text_fields.h"

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

std::vector<double> FileReadings(const std::vector<ReadingSeries>& series) {
    std::vector<double> readings;
    for (const ReadingSeries& one : series) {
        if (one.display != Display::First) {
            continue;
        }
        const auto middle = static_cast<std::ptrdiff_t>(readings.size());
        readings.insert(readings.end(), one.numbers.begin(), one.numbers.end());
        std::inplace_merge(readings.begin(), readings.begin() + middle, readings.end());
    }
    return readings;
}

namespace {

std::size_t NearestIndex(const std::vector<double>& readings, double number) {
    const auto after = std::lower_bound(readings.begin(), readings.end(), number);
    if (after == readings.end()) {
        return readings.size() - 1;
    }
    if (after != readings.begin() && number - *std::prev(after) <= *after - number) {
        return static_cast<std::size_t>(after - readings.begin()) - 1;
    }
    return static_cast<std::size_t>(after - readings.begin());
}

// A figure to read at a glance: six significant digits.
std::string Short(double value) {
    if (value == 0 || !std::isfinite(value)) {
        return FormatDouble(value);
    }
    const double scale = std::pow(10, 5 - std::floor(std::log10(std::fabs(value))));
    return FormatDouble(std::round(value * scale) / scale);
}

std::string Optional(const std::optional<double>& value) {
    return value ? Short(*value) : std::string();
}

std::string CursorText(const TimeAxis& axis, double number) {
    const std::string time = ReadingTimeText(axis, number);
    return FormatDouble(number) + (time.empty() ? "" : " (" + time + ")");
}

}  // namespace

double NearestReading(const std::vector<double>& readings, double number) {
    return readings.empty() ? number : readings[NearestIndex(readings, number)];
}

double StepReadings(const std::vector<double>& readings, double number, int steps) {
    if (readings.empty()) {
        return number;
    }
    const auto last = static_cast<long long>(readings.size()) - 1;
    const long long index =
        std::clamp(static_cast<long long>(NearestIndex(readings, number)) + steps, 0LL, last);
    return readings[static_cast<std::size_t>(index)];
}

std::vector<std::vector<std::string>> ReadoutTable(const CursorReadout& readout,
                                                   const std::vector<std::string>& labels,
                                                   const TimeAxis& axis) {
    const bool timed = axis.Shown() != AxisKind::ReadingNumber && readout.seconds;
    std::string difference = FormatDouble(readout.readings) + " readings";
    if (timed) {
        difference +=
            ", " + ElapsedText(*readout.seconds, std::fabs(*readout.seconds) >= kSecondsPerDay);
    }
    std::vector<std::vector<std::string>> table = {
        {"", "A", "B", "B \xE2\x88\x92 A", "Slope"},
        {"Reading", CursorText(axis, readout.cursors.a), CursorText(axis, readout.cursors.b),
         difference, ""},
    };
    for (std::size_t i = 0; i < readout.series.size() && i < labels.size(); ++i) {
        const CursorValues& values = readout.series[i];
        const std::string slope =
            values.slope ? Short(values.slope->change) + " " + SlopeUnitText(values.slope->per)
                         : std::string();
        table.push_back({labels[i], Optional(values.valueA), Optional(values.valueB),
                         Optional(values.difference), slope});
    }
    return table;
}

}  // namespace rv7342

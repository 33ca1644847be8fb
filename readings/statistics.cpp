#include "readings/statistics.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "datafiles/text_fields.h"

namespace rv7342 {

namespace {

// The indices of the readings numbered `from` to `to`, both included.
std::pair<std::size_t, std::size_t> IndicesWithin(const std::vector<double>& numbers, double from,
                                                  double to) {
    const auto begin = std::lower_bound(numbers.begin(), numbers.end(), from);
    const auto end = std::upper_bound(begin, numbers.end(), std::max(from, to));
    return {static_cast<std::size_t>(begin - numbers.begin()),
            static_cast<std::size_t>(end - numbers.begin())};
}

// Welford's running mean and sum of squared deviations, exact enough for millions of readings
// whose mean is far from zero; two of them merge by Chan's formula.
class Accumulator {
  public:
    void Add(const ReadingSeries& series, std::size_t index) {
        const double value = series.values[index];
        if (readings_++ == 0) {
            first_ = series.numbers[index];
        }
        last_ = series.numbers[index];
        if (!IsMeasured(value)) {
            return;
        }
        if (count_++ == 0) {
            minimum_ = maximum_ = value;
        }
        minimum_ = std::min(minimum_, value);
        maximum_ = std::max(maximum_, value);
        const double delta = value - mean_;
        mean_ += delta / static_cast<double>(count_);
        squares_ += delta * (value - mean_);
    }
    void AddRange(const ReadingSeries& series, std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            Add(series, i);
        }
    }
    // `later` holds readings that follow these ones.
    void Merge(const Accumulator& later) {
        if (later.readings_ == 0) {
            return;
        }
        if (readings_ == 0) {
            *this = later;
            return;
        }
        readings_ += later.readings_;
        last_ = later.last_;
        if (later.count_ == 0) {
            return;
        }
        if (count_ == 0) {
            count_ = later.count_;
            minimum_ = later.minimum_;
            maximum_ = later.maximum_;
            mean_ = later.mean_;
            squares_ = later.squares_;
            return;
        }
        const double total = static_cast<double>(count_ + later.count_);
        const double delta = later.mean_ - mean_;
        mean_ += delta * static_cast<double>(later.count_) / total;
        squares_ +=
            later.squares_ + delta * delta * static_cast<double>(count_) * later.count_ / total;
        count_ += later.count_;
        minimum_ = std::min(minimum_, later.minimum_);
        maximum_ = std::max(maximum_, later.maximum_);
    }
    SeriesStatistics Statistics() const {
        SeriesStatistics statistics;
        statistics.count = count_;
        statistics.leftOut = readings_ - count_;
        statistics.minimum = minimum_;
        statistics.maximum = maximum_;
        statistics.mean = mean_;
        statistics.firstReading = first_;
        statistics.lastReading = last_;
        if (count_ >= 2) {
            statistics.standardDeviation = std::sqrt(squares_ / static_cast<double>(count_ - 1));
        }
        return statistics;
    }

  private:
    std::size_t readings_ = 0;
    std::size_t count_ = 0;
    double minimum_ = 0;
    double maximum_ = 0;
    double mean_ = 0;
    double squares_ = 0;
    double first_ = 0;
    double last_ = 0;
};

SeriesStatistics StatisticsOf(const ReadingSeries& series, std::size_t begin, std::size_t end) {
    Accumulator accumulator;
    accumulator.AddRange(series, begin, end);
    return accumulator.Statistics();
}

Span Padded(double lower, double upper, double fraction) {
    const double pad =
        upper > lower ? (upper - lower) * fraction : (lower == 0 ? 1.0 : std::fabs(lower) * 0.1);
    return {lower - pad, upper + pad};
}

}  // namespace

std::optional<double> FigureOf(const SeriesStatistics& statistics, Figure figure) {
    const bool measured = statistics.count > 0;
    const bool read = statistics.count + statistics.leftOut > 0;
    switch (figure) {
        case Figure::Count:
            return static_cast<double>(statistics.count);
        case Figure::Minimum:
            return measured ? std::optional(statistics.minimum) : std::nullopt;
        case Figure::Maximum:
            return measured ? std::optional(statistics.maximum) : std::nullopt;
        case Figure::Mean:
            return measured ? std::optional(statistics.mean) : std::nullopt;
        case Figure::StandardDeviation:
            return statistics.standardDeviation;
        case Figure::FirstReading:
            return read ? std::optional(statistics.firstReading) : std::nullopt;
        case Figure::LastReading:
            return read ? std::optional(statistics.lastReading) : std::nullopt;
        case Figure::LeftOut:
            break;
    }
    return static_cast<double>(statistics.leftOut);
}

SeriesStatistics ComputeStatistics(const ReadingSeries& series) {
    return StatisticsOf(series, 0, series.numbers.size());
}

SeriesStatistics ComputeStatistics(const ReadingSeries& series, double from, double to) {
    const auto [begin, end] = IndicesWithin(series.numbers, from, to);
    return StatisticsOf(series, begin, end);
}

struct BlockStatistics::Block {
    Accumulator figures;
};

BlockStatistics::BlockStatistics(const ReadingSeries& series) : series_(&series) {
    for (std::size_t begin = 0; begin < series.numbers.size(); begin += kBlockSize) {
        Block& block = blocks_.emplace_back();
        block.figures.AddRange(series, begin, std::min(begin + kBlockSize, series.numbers.size()));
    }
}

BlockStatistics::~BlockStatistics() = default;
BlockStatistics::BlockStatistics(BlockStatistics&&) noexcept = default;
BlockStatistics& BlockStatistics::operator=(BlockStatistics&&) noexcept = default;

SeriesStatistics BlockStatistics::Of(double from, double to) const {
    const auto [begin, end] = IndicesWithin(series_->numbers, from, to);
    Accumulator accumulator;
    const std::size_t firstWhole = (begin + kBlockSize - 1) / kBlockSize;
    const std::size_t lastWhole = end / kBlockSize;  // blocks before it lie wholly inside
    if (firstWhole >= lastWhole) {
        accumulator.AddRange(*series_, begin, end);
        return accumulator.Statistics();
    }
    accumulator.AddRange(*series_, begin, firstWhole * kBlockSize);
    for (std::size_t block = firstWhole; block < lastWhole; ++block) {
        accumulator.Merge(blocks_[block].figures);
    }
    Accumulator tail;
    tail.AddRange(*series_, lastWhole * kBlockSize, end);
    accumulator.Merge(tail);
    return accumulator.Statistics();
}

Span WholeReadingSpan(const std::vector<SeriesStatistics>& statistics) {
    std::optional<Span> readings;
    for (const SeriesStatistics& figures : statistics) {
        if (figures.count + figures.leftOut == 0) {
            continue;
        }
        readings = readings ? Span{std::min(readings->lower, figures.firstReading),
                                   std::max(readings->upper, figures.lastReading)}
                            : Span{figures.firstReading, figures.lastReading};
    }
    return readings ? Padded(readings->lower, readings->upper, 0.01) : Span{0, 2};
}

Span WholeValueSpan(const std::vector<SeriesStatistics>& statistics) {
    std::optional<Span> values;
    for (const SeriesStatistics& figures : statistics) {
        if (figures.count == 0) {
            continue;
        }
        values = values ? Span{std::min(values->lower, figures.minimum),
                               std::max(values->upper, figures.maximum)}
                        : Span{figures.minimum, figures.maximum};
    }
    return values ? Padded(values->lower, values->upper, 0.05) : Span{-1, 1};
}

void CountReadingsOf(const ReadingSeries& series, double from, double to,
                     ReadingsInRange& readings) {
    if (series.display != Display::First) {
        return;
    }
    const auto [begin, end] = IndicesWithin(series.numbers, from, to);
    if (begin >= end) {
        return;
    }
    const double first = series.numbers[begin];
    const double last = series.numbers[end - 1];
    readings.first = readings.count == 0 ? first : std::min(readings.first, first);
    readings.last = readings.count == 0 ? last : std::max(readings.last, last);
    readings.count += end - begin;
}

ReadingsInRange CountReadings(const std::vector<ReadingSeries>& series, double from, double to) {
    ReadingsInRange readings;
    for (const ReadingSeries& one : series) {
        CountReadingsOf(one, from, to, readings);
    }
    return readings;
}

std::string DescribeReadings(const ReadingsInRange& readings, std::size_t total,
                             const TimeAxis& axis) {
    if (readings.count == total) {
        return "All " + std::to_string(total) + " readings";
    }
    if (readings.count == 0) {
        return "No readings of " + std::to_string(total);
    }
    std::string text = "Readings " + FormatDouble(readings.first) + "\xE2\x80\x93" +
                       FormatDouble(readings.last) + " of " + std::to_string(total);
    if (axis.Shown() != AxisKind::ReadingNumber) {
        text += " (" + ReadingTimeText(axis, readings.first) + "\xE2\x80\x93" +
                ReadingTimeText(axis, readings.last) + ")";
    }
    return text;
}

}  // namespace rv7342

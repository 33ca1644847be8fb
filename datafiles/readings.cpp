#include "datafiles/readings.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

#include "datafiles/files.h"
#include "datafiles/text_fields.h"

namespace rv7342 {

Failure ReadDataFile(const std::string& path, std::vector<Record>& records) {
    records.clear();
    DataFileReader file;
    if (Failure failure = file.Open(path)) {
        return failure;
    }
    if (const Failure failure = file.Read(std::nullopt, records)) {
        return file.ReadFailed() ? failure : path + ", " + *failure;
    }
    if (records.empty()) {
        return path + " holds no readings";
    }
    return std::nullopt;
}

Failure ReadDataFileRecords(const std::string& path, int count, std::vector<Record>& records) {
    records.clear();
    DataFileReader file;
    if (count > 0) {
        if (Failure failure = file.Open(path)) {
            return failure;
        }
        if (const Failure failure = file.Read(count, records)) {
            return file.ReadFailed()
                       ? failure
                       : path + " should hold " + std::to_string(count) + " readings, but only " +
                             std::to_string(records.size()) + " could be read: " + *failure;
        }
    }
    if (records.empty()) {
        return path + " holds no readings";
    }
    return std::nullopt;
}

namespace {

int UnitCode(const Record& record, Display display) {
    return display == Display::First ? record.unit1 : record.unit2;
}

double Value(const Record& record, Display display) {
    return display == Display::First ? record.value1 : record.value2;
}

// Finds the series of a unit code; readings of one unit mostly follow each other, so the last
// one found is tried first.
class SeriesIndex {
  public:
    void Add(int unitCode, std::size_t index) { indices_[unitCode] = index; }
    std::size_t Find(int unitCode) {
        if (unitCode != lastCode_) {
            lastCode_ = unitCode;
            lastIndex_ = indices_.at(unitCode);
        }
        return lastIndex_;
    }

  private:
    std::map<int, std::size_t> indices_;
    std::optional<int> lastCode_;
    std::size_t lastIndex_ = 0;
};

// Adds the series of one display: sized first, so that a long file is not copied as the
// series grow.
void AddSeriesOf(const std::vector<Record>& records, const std::vector<double>& numbers,
                 Display display, std::vector<ReadingSeries>& series) {
    std::map<int, std::size_t> counts;
    for (const Record& record : records) {
        ++counts[UnitCode(record, display)];
    }
    SeriesIndex index;
    for (const auto& [code, count] : counts) {
        index.Add(code, series.size());
        ReadingSeries& added = series.emplace_back();
        added.display = display;
        added.unitCode = code;
        added.numbers.reserve(count);
        added.values.reserve(count);
    }
    for (std::size_t row = 0; row < records.size(); ++row) {
        ReadingSeries& target = series[index.Find(UnitCode(records[row], display))];
        target.numbers.push_back(numbers[row]);
        target.values.push_back(Value(records[row], display));
    }
}

void AppendUtf8(char32_t character, std::string& text) {
    const auto c = static_cast<std::uint32_t>(character);
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::vector<double> ReadingNumbers(const std::vector<Record>& records) {
    std::vector<double> numbers(records.size());
    const bool rising =
        std::adjacent_find(records.begin(), records.end(), [](const Record& a, const Record& b) {
            return b.number <= a.number;
        }) == records.end();
    for (std::size_t row = 0; row < records.size(); ++row) {
        numbers[row] =
            rising ? static_cast<double>(records[row].number) : static_cast<double>(row + 1);
    }
    return numbers;
}

bool NeverMeasured(const ReadingSeries& series) {
    return series.display == Display::Second && series.unitCode == 0 &&
           std::all_of(series.values.begin(), series.values.end(),
                       [](double value) { return value == 0; });
}

std::vector<ReadingSeries> GroupIntoSeries(const std::vector<Record>& records) {
    const std::vector<double> numbers = ReadingNumbers(records);
    std::vector<ReadingSeries> series;
    AddSeriesOf(records, numbers, Display::First, series);
    AddSeriesOf(records, numbers, Display::Second, series);
    series.erase(std::remove_if(series.begin(), series.end(), NeverMeasured), series.end());
    return series;
}

std::string UnitLabel(const UnitTable& names, int unitCode) {
    std::string label;
    if (unitCode >= 0 && unitCode < kUnitNameCount && !IsUnassigned(names[unitCode])) {
        for (char32_t character : names[unitCode]) {
            AppendUtf8(character, label);
        }
        label.erase(label.find_last_not_of(' ') + 1);
        label.erase(0, label.find_first_not_of(' '));
    }
    return label.empty() ? "unit " + std::to_string(unitCode) : label;
}

std::string SeriesLabel(const UnitTable& names, const ReadingSeries& series) {
    const std::string unit = UnitLabel(names, series.unitCode);
    return series.display == Display::First ? unit : unit + " (second display)";
}

bool IsMeasured(double value) {
    return std::fabs(value) <= FLT_MAX;
}

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

ReadingsInRange CountReadings(const std::vector<ReadingSeries>& series, double from, double to) {
    ReadingsInRange readings;
    for (const ReadingSeries& one : series) {
        if (one.display != Display::First) {
            continue;
        }
        const auto [begin, end] = IndicesWithin(one.numbers, from, to);
        if (begin >= end) {
            continue;
        }
        readings.first =
            readings.count == 0 ? one.numbers[begin] : std::min(readings.first, one.numbers[begin]);
        readings.last = readings.count == 0 ? one.numbers[end - 1]
                                            : std::max(readings.last, one.numbers[end - 1]);
        readings.count += end - begin;
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

namespace {

constexpr std::size_t kPointsPerColumn = 4;

class Reducer {
  public:
    explicit Reducer(const ReadingSeries& series) : series_(series) {}

    void Add(std::size_t index) {
        points_.numbers.push_back(series_.numbers[index]);
        points_.values.push_back(series_.values[index]);
    }
    void AddMeasured(std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            if (IsMeasured(series_.values[i])) {
                Add(i);
            }
        }
    }
    // The first, lowest, highest and last measured values of [begin, end), in reading order:
    // the line through them covers the same pixels as the line through all of them.
    void AddExtremes(std::size_t begin, std::size_t end) {
        std::optional<std::size_t> first, low, high, last;
        for (std::size_t i = begin; i < end; ++i) {
            const double value = series_.values[i];
            if (!IsMeasured(value)) {
                continue;
            }
            first = first.value_or(i);
            last = i;
            if (!low || value < series_.values[*low]) {
                low = i;
            }
            if (!high || value > series_.values[*high]) {
                high = i;
            }
        }
        if (!first) {
            return;
        }
        std::size_t picked[] = {*first, *low, *high, *last};
        std::sort(std::begin(picked), std::end(picked));
        const auto kept = std::unique(std::begin(picked), std::end(picked));
        std::for_each(std::begin(picked), kept, [this](std::size_t index) { Add(index); });
    }
    std::optional<std::size_t> MeasuredBefore(std::size_t index) const {
        while (index-- > 0) {
            if (IsMeasured(series_.values[index])) {
                return index;
            }
        }
        return std::nullopt;
    }
    std::optional<std::size_t> MeasuredFrom(std::size_t index) const {
        for (; index < series_.values.size(); ++index) {
            if (IsMeasured(series_.values[index])) {
                return index;
            }
        }
        return std::nullopt;
    }
    PlotPoints Take() { return std::move(points_); }

  private:
    const ReadingSeries& series_;
    PlotPoints points_;
};

}  // namespace

PlotPoints ReduceForDrawing(const ReadingSeries& series, double from, double to, int columns) {
    const std::vector<double>& numbers = series.numbers;
    const auto first = static_cast<std::size_t>(
        std::lower_bound(numbers.begin(), numbers.end(), from) - numbers.begin());
    const auto last = static_cast<std::size_t>(
        std::upper_bound(numbers.begin(), numbers.end(), to) - numbers.begin());
    Reducer reducer(series);
    if (const auto before = reducer.MeasuredBefore(first)) {
        reducer.Add(*before);
    }
    const auto columnCount = static_cast<std::size_t>(std::max(columns, 1));
    if (last <= first || last - first <= kPointsPerColumn * columnCount) {
        reducer.AddMeasured(first, std::max(first, last));
    } else {
        const double width = (to - from) / static_cast<double>(columnCount);
        std::size_t begin = first;
        for (std::size_t column = 1; column <= columnCount; ++column) {
            const double end = from + width * static_cast<double>(column);
            const std::size_t stop =
                column == columnCount
                    ? last
                    : static_cast<std::size_t>(
                          std::upper_bound(numbers.begin() + begin, numbers.begin() + last, end) -
                          numbers.begin());
            reducer.AddExtremes(begin, stop);
            begin = stop;
        }
    }
    if (const auto after = reducer.MeasuredFrom(std::max(first, last))) {
        reducer.Add(*after);
    }
    return reducer.Take();
}

std::optional<std::size_t> NearestPoint(const ReadingSeries& series, double number, double value,
                                        PixelScale scale, double reach) {
    const std::vector<double>& numbers = series.numbers;
    const double span = reach / scale.perReading;
    const auto begin = std::lower_bound(numbers.begin(), numbers.end(), number - span);
    const auto end = std::upper_bound(begin, numbers.end(), number + span);
    std::optional<std::size_t> nearest;
    double nearestSquare = reach * reach;
    for (auto it = begin; it != end; ++it) {
        const auto index = static_cast<std::size_t>(it - numbers.begin());
        if (!IsMeasured(series.values[index])) {
            continue;
        }
        const double dx = (*it - number) * scale.perReading;
        const double dy = (series.values[index] - value) * scale.perValue;
        const double square = dx * dx + dy * dy;
        if (square <= nearestSquare) {
            nearest = index;
            nearestSquare = square;
        }
    }
    return nearest;
}

}  // namespace rv7342

#include "datafiles/readings.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>

#include "datafiles/files.h"

namespace rv7342 {

Failure ReadDataFile(const std::string& path, std::vector<Record>& records) {
    records.clear();
    std::string text;
    if (Failure failure = ReadWholeFile(path, text)) {
        return failure;
    }
    if (const Failure failure = ReadAllRecordsFromText(text, records)) {
        return path + ", " + *failure;
    }
    if (records.empty()) {
        return path + " holds no readings";
    }
    return std::nullopt;
}

Failure ReadDataFileRecords(const std::string& path, int count, std::vector<Record>& records) {
    records.clear();
    std::string text;
    if (count > 0) {
        if (Failure failure = ReadWholeFile(path, text)) {
            return failure;
        }
    }
    if (const Failure failure = ReadRecordsFromText(text, count, records)) {
        return path + " should hold " + std::to_string(count) + " readings, but only " +
               std::to_string(records.size()) + " could be read: " + *failure;
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
void AddSeriesOf(const std::vector<Record>& records, Display display,
                 std::vector<ReadingSeries>& series) {
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
        target.numbers.push_back(static_cast<double>(row + 1));
        target.values.push_back(Value(records[row], display));
    }
}

}  // namespace

std::vector<ReadingSeries> GroupIntoSeries(const std::vector<Record>& records) {
    std::vector<ReadingSeries> series;
    AddSeriesOf(records, Display::First, series);
    AddSeriesOf(records, Display::Second, series);
    return series;
}

bool IsMeasured(double value) {
    return std::fabs(value) <= FLT_MAX;
}

SeriesStatistics ComputeStatistics(const ReadingSeries& series) {
    SeriesStatistics statistics;
    if (series.numbers.empty()) {
        return statistics;
    }
    statistics.firstReading = series.numbers.front();
    statistics.lastReading = series.numbers.back();
    // Welford's running mean and sum of squared deviations: exact enough for millions of
    // readings whose mean is far from zero.
    double squares = 0;
    for (double value : series.values) {
        if (!IsMeasured(value)) {
            ++statistics.leftOut;
            continue;
        }
        if (statistics.count++ == 0) {
            statistics.minimum = statistics.maximum = value;
        }
        statistics.minimum = std::min(statistics.minimum, value);
        statistics.maximum = std::max(statistics.maximum, value);
        const double delta = value - statistics.mean;
        statistics.mean += delta / static_cast<double>(statistics.count);
        squares += delta * (value - statistics.mean);
    }
    if (statistics.count >= 2) {
        statistics.standardDeviation =
            std::sqrt(squares / static_cast<double>(statistics.count - 1));
    }
    return statistics;
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

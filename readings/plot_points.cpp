#include "readings/plot_points.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace rv7342 {

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

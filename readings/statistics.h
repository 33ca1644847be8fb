#pragma once
// The statistics of series: of the whole file and of ranges of readings, the spans Whole memory
// shows, and the line that says which readings figures are of.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "readings/series.h"
#include "readings/time_axis.h"

namespace rv7342 {

struct SeriesStatistics {
    std::size_t count = 0;    // measured values, the ones the figures below are made of
    std::size_t leftOut = 0;  // values that are not measured
    double minimum = 0;
    double maximum = 0;
    double mean = 0;
    // The sample standard deviation (divided by count - 1); none below two values.
    std::optional<double> standardDeviation;
    // Of every reading of the series, left-out ones included.
    double firstReading = 0;
    double lastReading = 0;
};

// The figures of the statistics table in its column order, named as the table, the export
// and rv7342-cli stats name them.
enum class Figure {
    Count,
    Minimum,
    Maximum,
    Mean,
    StandardDeviation,
    FirstReading,
    LastReading,
    LeftOut
};
struct FigureColumn {
    Figure figure;
    const char* title;  // "Std. deviation"
    const char* key;    // "sd"
    bool whole;         // a count or a reading number, shown without decimals
};
// The title of the column before them, which names the series.
constexpr char kSeriesTitle[] = "Series";
constexpr FigureColumn kFigureColumns[] = {
    {Figure::Count, "Count", "count", true},
    {Figure::Minimum, "Minimum", "min", false},
    {Figure::Maximum, "Maximum", "max", false},
    {Figure::Mean, "Mean", "mean", false},
    {Figure::StandardDeviation, "Std. deviation", "sd", false},
    {Figure::FirstReading, "First reading", "first", true},
    {Figure::LastReading, "Last reading", "last", true},
    {Figure::LeftOut, "Left out", "left_out", true}};

// A figure of `statistics`; none where there is none: no measured value for the minimum,
// maximum and mean, fewer than two for the deviation, no reading for the first and last.
std::optional<double> FigureOf(const SeriesStatistics& statistics, Figure figure);

SeriesStatistics ComputeStatistics(const ReadingSeries& series);
// The statistics of the readings numbered `from` to `to`, both included.
SeriesStatistics ComputeStatistics(const ReadingSeries& series, double from, double to);

// The statistics of ranges of one series, each taken in a time that does not grow with the
// range: from figures kept for every block of readings, merged, and the readings of the two
// blocks the range cuts. The series must outlive it.
class BlockStatistics {
  public:
    static constexpr std::size_t kBlockSize = 1024;

    explicit BlockStatistics(const ReadingSeries& series);
    ~BlockStatistics();
    BlockStatistics(BlockStatistics&&) noexcept;
    BlockStatistics& operator=(BlockStatistics&&) noexcept;

    // As ComputeStatistics(series, from, to).
    SeriesStatistics Of(double from, double to) const;

  private:
    struct Block;
    const ReadingSeries* series_;
    std::vector<Block> blocks_;
};

struct Span {
    double lower = 0;
    double upper = 0;
    bool operator==(const Span& other) const {
        return lower == other.lower && upper == other.upper;
    }
};

// What Whole memory shows. The reading numbers of every series, 1 % added on both sides.
Span WholeReadingSpan(const std::vector<SeriesStatistics>& statistics);
// The values of the series with these statistics, 5 % added above and below; a single value
// gets a tenth of itself (or 1 for 0) either side, and no value at all -1 to 1.
Span WholeValueSpan(const std::vector<SeriesStatistics>& statistics);

// The first and last reading numbers in `from` to `to`, both included, and how many readings
// lie there, counting each record once (by its first value).
struct ReadingsInRange {
    std::size_t count = 0;
    double first = 0;
    double last = 0;
};
ReadingsInRange CountReadings(const std::vector<ReadingSeries>& series, double from, double to);
// Adds the readings of one series to `readings`; those of a second display are counted already.
void CountReadingsOf(const ReadingSeries& series, double from, double to,
                     ReadingsInRange& readings);

// Which readings figures are of: "All 32767 readings" when they are all of the file's `total`,
// otherwise "Readings 1201–2400 of 32767", with the times of both ends on a time axis.
std::string DescribeReadings(const ReadingsInRange& readings, std::size_t total,
                             const TimeAxis& axis);

}  // namespace rv7342

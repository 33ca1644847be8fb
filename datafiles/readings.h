#pragma once
// The readings of a data file as series to chart: the records of one file grouped per unit
// code, statistics of each series, and the few points of a series worth drawing on a screen.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"
#include "datafiles/time_axis.h"
#include "datafiles/unit_table.h"

namespace rv7342 {

// Reads every record of the data file at `path`. On a failure the records before the faulty
// line stay in `records`, and the reason names the file and, where one is at fault, the line.
// A file without a single record is a failure too.
[[nodiscard]] Failure ReadDataFile(const std::string& path, std::vector<Record>& records);
// Reads the first `count` records of the data file at `path`, as the table of readings does.
[[nodiscard]] Failure ReadDataFileRecords(const std::string& path, int count,
                                          std::vector<Record>& records);

enum class Display { First, Second };

// The readings of one display in one unit, in file order, with their reading numbers.
struct ReadingSeries {
    Display display = Display::First;
    int unitCode = 0;
    std::vector<double> numbers;
    std::vector<double> values;
};

// The number of each record: its own, which keeps the gaps of frames lost in a transfer, while
// they rise through the file; otherwise (a file put together by hand) its line, counted from 1.
std::vector<double> ReadingNumbers(const std::vector<Record>& records);

// A single-value frame gives 0 in unit code 0 as its second value: the second display's series
// of code 0 holding only zeros is no measurement.
bool NeverMeasured(const ReadingSeries& series);

// The series as they are shown: one per unit code of the first values, in ascending code order,
// then one per unit code of the second values, less the one that is never measured.
std::vector<ReadingSeries> GroupIntoSeries(const std::vector<Record>& records);

// The unit's name from the table without its padding, as UTF-8, or "unit 57" where the table
// names no unit for the code.
std::string UnitLabel(const UnitTable& names, int unitCode);
// The unit's name; a second display's series says so: "V DC (second display)".
std::string SeriesLabel(const UnitTable& names, const ReadingSeries& series);

// A value is measured when it is finite and within the single-precision range the meter's
// values come in; anything else comes from a malformed frame or file.
bool IsMeasured(double value);

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

// The indices [first, second) of the readings numbered `from` to `to`, both included, in
// rising reading numbers.
std::pair<std::size_t, std::size_t> IndicesWithin(const std::vector<double>& numbers, double from,
                                                  double to);

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

// Which readings figures are of: "All 32767 readings" when they are all of the file's `total`,
// otherwise "Readings 1201–2400 of 32767", with the times of both ends on a time axis.
std::string DescribeReadings(const ReadingsInRange& readings, std::size_t total,
                             const TimeAxis& axis);

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

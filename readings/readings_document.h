#pragma once
// The readings of one data file as the program understands them: its records as series with
// the labels of their units, the statistics of the whole file, the time axis, which
// series are shown, and the range of readings shown with its statistics and the line that
// says which readings those are. The readings window and every rv7342-cli command hold one;
// the chart draws it, the statistics table and the time-axis controls show it, and what the
// user does reaches it through its operations. The records themselves are not kept: the series
// hold every value, and an export reads the file again as it stands then.

#include <cstddef>
#include <string>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "readings/series.h"
#include "readings/statistics.h"
#include "readings/time_axis.h"

namespace rv7342 {

// A series as the document shows it.
struct DocumentSeries {
    ReadingSeries readings;
    std::string sourceFile;  // the data file the readings come from
    std::string unit;        // the unit's label, "V DC" or "unit 57"
    std::string label;       // as the legend and the statistics name it
    SeriesStatistics whole;  // of every reading of the file
    bool shown = false;
};

class ReadingsDocument {
  public:
    // No readings: nothing to show.
    ReadingsDocument() = default;
    // The records of the data file at `sourceFile`, their units named by `names`: first
    // values shown, second ones hidden, the whole memory in range, an axis of reading numbers.
    ReadingsDocument(std::string sourceFile, const std::vector<Record>& records,
                     const UnitTable& names);
    ReadingsDocument(ReadingsDocument&&) noexcept = default;
    ReadingsDocument& operator=(ReadingsDocument&&) noexcept = default;
    ReadingsDocument(const ReadingsDocument&) = delete;
    ReadingsDocument& operator=(const ReadingsDocument&) = delete;

    const std::string& SourceFile() const { return sourceFile_; }
    // How many records the series were made of.
    std::size_t ReadingCount() const { return readingCount_; }
    const std::vector<DocumentSeries>& Series() const { return series_; }
    // How many values of the whole file are not measured.
    std::size_t LeftOut() const;

    const TimeAxis& Axis() const { return axis_; }
    void SetAxis(const TimeAxis& axis);

    bool Shown(std::size_t series) const { return series_.at(series).shown; }
    void Show(std::size_t series, bool shown);

    // The reading numbers shown. The statistics of the range are of the readings inside it,
    // both ends included.
    const Span& Range() const { return range_; }
    void SetRange(const Span& range);
    // Every reading of the file in range.
    void ShowWholeMemory();
    const std::vector<SeriesStatistics>& RangeStatistics() const { return rangeStatistics_; }
    // "Readings 1201–2400 of 32767" or "All 32767 readings".
    const std::string& RangeLine() const { return rangeLine_; }

  private:
    void UpdateRangeLine();

    std::string sourceFile_;
    std::size_t readingCount_ = 0;
    std::vector<DocumentSeries> series_;
    std::vector<BlockStatistics> blocks_;  // one per series, of its readings
    TimeAxis axis_;
    Span range_{0, 2};
    std::vector<SeriesStatistics> rangeStatistics_;
    std::string rangeLine_;
};

}  // namespace rv7342

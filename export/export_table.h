#pragma once
// The readings of a data file as a table for a spreadsheet or another program, shared by the
// CSV and the XLSX writer: its columns, one row a reading, and the statistics of the whole file.

#include <cstddef>
#include <string>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "readings/series.h"
#include "readings/statistics.h"
#include "readings/time_axis.h"

namespace rv7342 {

struct Cell {
    enum class Kind { Empty, Number, Text, LocalTime };
    Kind kind = Kind::Empty;
    double number = 0;  // a number, or a local time in seconds (see time_axis.h)
    std::string text;   // UTF-8
};

// No., Elapsed (s) and Time while the axis has an interval and a start, Value, Unit, Value 2,
// Unit 2. A value that is not measured is an empty cell, and so are Value 2 and Unit 2 of a
// single-value reading (0 in unit code 0 where the file's second display never measured).
class ReadingsTable {
  public:
    ReadingsTable(const std::vector<Record>& records, const UnitTable& names, const TimeAxis& axis);

    const std::vector<std::string>& Header() const { return header_; }
    std::size_t RowCount() const { return records_.size(); }
    // The cells of row `row`, counted from 0, into `cells`.
    void Row(std::size_t row, std::vector<Cell>& cells) const;

  private:
    const std::vector<Record>& records_;
    std::vector<double> numbers_;
    std::vector<std::string> unitLabels_;
    TimeAxis axis_;
    bool secondOfCodeZeroMeasured_ = false;
    std::vector<std::string> header_;
};

// Series, then the titles of kFigureColumns.
const std::vector<std::string>& StatisticsHeader();
// A row of the statistics; figures there are none of (no value, one value) are empty cells.
std::vector<Cell> StatisticsRow(const std::string& seriesLabel, const SeriesStatistics& figures);

}  // namespace rv7342

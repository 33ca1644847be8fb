#pragma once
// The readings of a data file as a table for a spreadsheet or another program, shared by the
// CSV and the XLSX writer: its columns, one row a reading, and the statistics of the whole file.

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "measuring/conversion.h"
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
// A value in a unit that one of `conversions` converts is given converted, in the new unit.
class ReadingsTable {
  public:
    ReadingsTable(const std::vector<Record>& records, const UnitTable& names, const TimeAxis& axis,
                  const std::vector<Conversion>& conversions = {});

    const std::vector<std::string>& Header() const { return header_; }
    std::size_t RowCount() const { return records_.size(); }
    // The cells of row `row`, counted from 0, into `cells`.
    void Row(std::size_t row, std::vector<Cell>& cells) const;
    // The conversions applied to a unit of the readings, in the order they were given.
    const std::vector<Conversion>& Applied() const { return applied_; }

  private:
    void FindConversions(const UnitTable& names, const std::vector<Conversion>& conversions);
    std::pair<Cell, Cell> ValueAndUnit(double value, int code) const;

    const std::vector<Record>& records_;
    std::vector<double> numbers_;
    std::vector<std::string> unitLabels_;
    TimeAxis axis_;
    bool secondOfCodeZeroMeasured_ = false;
    std::vector<std::string> header_;
    std::map<int, Conversion> conversionOf_;  // by unit code
    std::vector<Conversion> applied_;
};

// Series, then the titles of kFigureColumns.
const std::vector<std::string>& StatisticsHeader();
// A row of the statistics; figures there are none of (no value, one value) are empty cells.
std::vector<Cell> StatisticsRow(const std::string& seriesLabel, const SeriesStatistics& figures);
// The statistics of every series of the readings (see GroupIntoSeries), a converted series in
// its new unit and named by it.
std::vector<std::vector<Cell>> StatisticsRows(const std::vector<Record>& records,
                                              const UnitTable& names,
                                              const std::vector<Conversion>& conversions);

}  // namespace rv7342

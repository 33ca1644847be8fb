#pragma once
// The readings of a data file as series to chart: the records of one file grouped per unit
// code, with the labels of their units.

#include <string>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"

namespace rv7342 {

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
// Those of one display, in the same order: a long file's series taken one display at a time
// hold half the memory.
std::vector<ReadingSeries> SeriesOfDisplay(const std::vector<Record>& records, Display display);

// The unit's name from the table without its padding, as UTF-8, or "unit 57" where the table
// names no unit for the code. Control characters and non-characters are replaced by U+FFFD,
// so that the name is safe in every output: a table, JSON, SVG, XLSX, the terminal.
std::string UnitLabel(const UnitTable& names, int unitCode);
// The unit's name; a second display's series says so: "V DC (second display)".
std::string SeriesLabel(const UnitTable& names, const ReadingSeries& series);

// A value is measured when it is finite and within the single-precision range the meter's
// values come in; anything else comes from a malformed frame or file.
bool IsMeasured(double value);

}  // namespace rv7342

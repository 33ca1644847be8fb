#pragma once
// The readings of a data file as an XLSX workbook that a spreadsheet in any language opens
// with numbers as numbers: a sheet "Readings" with the columns of ReadingsTable (times as
// date-time cells), its header row bold and frozen, and a sheet "Statistics" of the whole file.

#include <string>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"
#include "datafiles/unit_table.h"
#include "readings/time_axis.h"

namespace rv7342 {

[[nodiscard]] Failure WriteReadingsXlsx(const std::string& path, const std::vector<Record>& records,
                                        const UnitTable& names, const TimeAxis& axis);

}  // namespace rv7342

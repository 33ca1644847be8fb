#pragma once
// The readings of a data file as CSV for scripts and other programs: a header line, commas,
// period decimals, UTF-8, lines ended by CR LF. The columns are those of ReadingsTable.

#include <ostream>
#include <string>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"
#include "datafiles/unit_table.h"
#include "readings/time_axis.h"

namespace rv7342 {

// `what` names the output in the reason for a failure, such as "the standard output".
[[nodiscard]] Failure WriteReadingsCsv(std::ostream& out, const std::string& what,
                                       const std::vector<Record>& records, const UnitTable& names,
                                       const TimeAxis& axis);
[[nodiscard]] Failure WriteReadingsCsv(const std::string& path, const std::vector<Record>& records,
                                       const UnitTable& names, const TimeAxis& axis);

}  // namespace rv7342

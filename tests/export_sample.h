#pragma once
// The readings both export tests write: degrees Celsius, a unit whose name holds a comma and a
// quote, a value that is no measurement, a reading lost in the transfer (3), and a second
// display that measured only once.

#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/unit_table.h"
#include "readings/time_axis.h"

namespace rv7342 {

inline const std::vector<Record> kExportedRecords = {
    {1, 12.5, 0, 0, 0}, {2, -0.25, 1, 0, 0}, {4, 1E+39, 57, 0, 0}, {5, 1E-05, 0, 230.5, 1}};

inline UnitTable ExportedUnitNames() {
    UnitTable names{};
    LoadUnitTableFromText(
        "0,\"\xC2\xB0"
        "C, dry\"\r\n1,in\"\r\n",
        names);
    return names;
}

// Every ten seconds from 23:59:50, so that the file crosses midnight.
inline TimeAxis ExportedTimeAxis() {
    return {10.0, ParseLocalTime("2026-12-07 23:59:50"), AxisKind::Elapsed};
}

}  // namespace rv7342

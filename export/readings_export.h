#pragma once
// The export of a data file's readings in either format, chosen by a name such as a file's
// suffix: what the readings window and rv7342-cli export both write.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"
#include "datafiles/unit_table.h"
#include "readings/time_axis.h"

namespace rv7342 {

enum class ExportFormat { Xlsx, Csv };

// The format "xlsx" or "csv" names, in any case; none for anything else.
std::optional<ExportFormat> ExportFormatNamed(std::string_view name);

// Writes the readings to the file at `path` as XLSX (see xlsx_export.h) or CSV (csv_export.h).
[[nodiscard]] Failure WriteReadings(const std::string& path, ExportFormat format,
                                    const std::vector<Record>& records, const UnitTable& names,
                                    const TimeAxis& axis);

}  // namespace rv7342

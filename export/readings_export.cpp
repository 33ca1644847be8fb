#include "export/readings_export.h"

#include <algorithm>
#include <cctype>

#include "export/csv_export.h"
#include "export/xlsx_export.h"

namespace rv7342 {

std::optional<ExportFormat> ExportFormatNamed(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "xlsx") {
        return ExportFormat::Xlsx;
    }
    if (lower == "csv") {
        return ExportFormat::Csv;
    }
    return std::nullopt;
}

Failure WriteReadings(const std::string& path, ExportFormat format,
                      const std::vector<Record>& records, const UnitTable& names,
                      const TimeAxis& axis) {
    return format == ExportFormat::Xlsx ? WriteReadingsXlsx(path, records, names, axis)
                                        : WriteReadingsCsv(path, records, names, axis);
}

}  // namespace rv7342

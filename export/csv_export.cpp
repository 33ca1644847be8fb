#include "export/csv_export.h"

#include <cerrno>
#include <functional>

#include "datafiles/files.h"
#include "datafiles/output_file.h"
#include "datafiles/text_fields.h"
#include "export/export_table.h"

namespace rv7342 {

namespace {

// A text in double quotes, quotes doubled, where a comma, quote or line end would break it.
void AppendText(const std::string& text, std::string& line) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        line += text;
        return;
    }
    line += '"';
    for (char c : text) {
        line += c;
        if (c == '"') {
            line += '"';
        }
    }
    line += '"';
}

void AppendCell(const Cell& cell, std::string& line) {
    switch (cell.kind) {
        case Cell::Kind::Number:
            line += FormatDouble(cell.number);
            break;
        case Cell::Kind::Text:
            AppendText(cell.text, line);
            break;
        case Cell::Kind::LocalTime:
            line += ClockText(cell.number, true);
            break;
        case Cell::Kind::Empty:
            break;
    }
}

void AppendLine(const std::vector<Cell>& cells, std::string& text) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        AppendCell(cells[i], text);
    }
    text += "\r\n";
}

}  // namespace

namespace {

// The CSV text in pieces of about 64 kB, each handed to `write`; false as soon as one fails.
// Each conversion applied is noted in a line of its own before the header.
bool WriteCsv(const std::vector<Record>& records, const UnitTable& names, const TimeAxis& axis,
              const std::vector<Conversion>& conversions,
              const std::function<bool(const std::string&)>& write) {
    const ReadingsTable table(records, names, axis, conversions);
    std::string text;
    for (const Conversion& conversion : table.Applied()) {
        text += "# Converted " + DescribeConversion(conversion) + "\r\n";
    }
    std::vector<Cell> cells;
    for (const std::string& title : table.Header()) {
        cells.push_back({Cell::Kind::Text, 0, title});
    }
    AppendLine(cells, text);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        table.Row(row, cells);
        AppendLine(cells, text);
        if (text.size() >= 1 << 16) {
            if (!write(text)) {
                return false;
            }
            text.clear();
        }
    }
    return write(text);
}

}  // namespace

Failure WriteReadingsCsv(std::ostream& out, const std::string& what,
                         const std::vector<Record>& records, const UnitTable& names,
                         const TimeAxis& axis, const std::vector<Conversion>& conversions) {
    const bool written =
        WriteCsv(records, names, axis, conversions, [&out](const std::string& text) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            return static_cast<bool>(out);
        });
    out.flush();
    if (!written || !out) {
        return "Cannot write the readings to " + what;
    }
    return std::nullopt;
}

Failure WriteReadingsCsv(const std::string& path, const std::vector<Record>& records,
                         const UnitTable& names, const TimeAxis& axis,
                         const std::vector<Conversion>& conversions) {
    OutputFile out;
    Failure failure = out.Open(path);
    if (!failure) {
        WriteCsv(records, names, axis, conversions, [&](const std::string& text) {
            failure = out.Write(text);
            return !failure;
        });
    }
    return failure ? failure : out.Commit();
}

}  // namespace rv7342

#include "export/csv_export.h"

#include <cerrno>
#include <fstream>

#include "datafiles/files.h"
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

Failure WriteReadingsCsv(std::ostream& out, const std::string& what,
                         const std::vector<Record>& records, const UnitTable& names,
                         const TimeAxis& axis) {
    const ReadingsTable table(records, names, axis);
    std::vector<Cell> cells;
    for (const std::string& title : table.Header()) {
        cells.push_back({Cell::Kind::Text, 0, title});
    }
    std::string text;
    AppendLine(cells, text);
    for (std::size_t row = 0; row < table.RowCount() && out; ++row) {
        table.Row(row, cells);
        AppendLine(cells, text);
        if (text.size() >= 1 << 16) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            text.clear();
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
        return "Cannot write the readings to " + what;
    }
    return std::nullopt;
}

Failure WriteReadingsCsv(const std::string& path, const std::vector<Record>& records,
                         const UnitTable& names, const TimeAxis& axis) {
    errno = 0;
    std::ofstream file(FilePath(path), std::ios::binary | std::ios::trunc);
    if (!file) {
        return "Cannot create " + path + ": " + SystemReason(errno);
    }
    if (WriteReadingsCsv(file, path, records, names, axis)) {
        return "Cannot write " + path + ": " + SystemReason(errno);
    }
    errno = 0;
    file.close();
    if (!file) {
        return "Cannot write " + path + ": " + SystemReason(errno);
    }
    return std::nullopt;
}

}  // namespace rv7342

#include "export/xlsx_export.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "datafiles/files.h"
#include "export/export_table.h"

namespace rv7342 {

namespace {

class SheetWriter {
  public:
    SheetWriter(lxw_workbook* book, const char* name)
        : sheet_(workbook_add_worksheet(book, name)),
          bold_(workbook_add_format(book)),
          time_(workbook_add_format(book)) {
        format_set_bold(bold_);
        format_set_num_format(time_, "yyyy-mm-dd hh:mm:ss");
        worksheet_freeze_panes(sheet_, 1, 0);
    }

    void Header(const std::vector<std::string>& titles) {
        for (std::size_t column = 0; column < titles.size(); ++column) {
            Keep(worksheet_write_string(sheet_, 0, Column(column), titles[column].c_str(), bold_));
            const bool time = titles[column] == "Time" || titles[column] == "Series";
            worksheet_set_column(sheet_, Column(column), Column(column), time ? 21 : 12, nullptr);
        }
    }

    void Row(lxw_row_t row, const std::vector<Cell>& cells) {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            Write(row, Column(column), cells[column]);
        }
    }

    lxw_error Error() const { return error_; }

  private:
    static lxw_col_t Column(std::size_t column) { return static_cast<lxw_col_t>(column); }

    void Write(lxw_row_t row, lxw_col_t column, const Cell& cell) {
        switch (cell.kind) {
            case Cell::Kind::Number:
                Keep(worksheet_write_number(sheet_, row, column, cell.number, nullptr));
                break;
            case Cell::Kind::Text:
                Keep(worksheet_write_string(sheet_, row, column, cell.text.c_str(), nullptr));
                break;
            case Cell::Kind::LocalTime: {
                const CivilTime time = ToCivil(cell.number);
                lxw_datetime cellTime{time.year, time.month,  time.day,
                                      time.hour, time.minute, time.second};
                Keep(worksheet_write_datetime(sheet_, row, column, &cellTime, time_));
                break;
            }
            case Cell::Kind::Empty:
                break;
        }
    }

    void Keep(lxw_error error) {
        if (error_ == LXW_NO_ERROR) {
            error_ = error;
        }
    }

    lxw_worksheet* sheet_;
    lxw_format* bold_;
    lxw_format* time_;
    lxw_error error_ = LXW_NO_ERROR;
};

lxw_error WriteStatistics(lxw_workbook* book, const std::vector<Record>& records,
                          const UnitTable& names) {
    SheetWriter statistics(book, "Statistics");
    statistics.Header(StatisticsHeader());
    lxw_row_t row = 1;
    for (const ReadingSeries& series : GroupIntoSeries(records)) {
        statistics.Row(row++, StatisticsRow(SeriesLabel(names, series), ComputeStatistics(series)));
    }
    return statistics.Error();
}

}  // namespace

Failure WriteReadingsXlsx(const std::string& path, const std::vector<Record>& records,
                          const UnitTable& names, const TimeAxis& axis) {
    if (records.size() >= LXW_ROW_MAX) {
        return "Cannot write " + path + ": its " + std::to_string(records.size()) +
               " readings are more than a sheet holds (" + std::to_string(LXW_ROW_MAX - 1) +
               "); export them as CSV";
    }
    // The library writes the file only when the workbook is closed, and then tells why it
    // cannot on the standard error: the file is made first, so that a wrong path is told here.
    errno = 0;
    if (std::FILE* file = OpenFile(path, "wb")) {
        std::fclose(file);
    } else {
        return "Cannot create " + path + ": " + SystemReason(errno);
    }
    lxw_workbook* book = workbook_new(path.c_str());
    if (!book) {
        return "Cannot create " + path + ": out of memory";
    }
    const ReadingsTable table(records, names, axis);
    SheetWriter readings(book, "Readings");
    readings.Header(table.Header());
    std::vector<Cell> cells;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        table.Row(row, cells);
        readings.Row(static_cast<lxw_row_t>(row + 1), cells);
    }
    const lxw_error statistics = WriteStatistics(book, records, names);
    errno = 0;
    const lxw_error closed = workbook_close(book);  // writes the file and frees the workbook
    const lxw_error error = readings.Error() != LXW_NO_ERROR ? readings.Error()
                            : statistics != LXW_NO_ERROR     ? statistics
                                                             : closed;
    if (error != LXW_NO_ERROR) {
        std::error_code ignored;
        std::filesystem::remove(FilePath(path), ignored);
        std::string reason = lxw_strerror(error);
        if (errno != 0) {
            reason += " (" + SystemReason(errno) + ")";
        }
        return "Cannot write " + path + ": " + reason;
    }
    return std::nullopt;
}

}  // namespace rv7342

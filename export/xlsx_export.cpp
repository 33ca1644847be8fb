#include "export/xlsx_export.h"

#include <fcntl.h>
#include <xlsxwriter.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>

#include "datafiles/files.h"
#include "datafiles/output_file.h"
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

    // The reason why the sheet is not whole, if any. In constant-memory mode each finished
    // row goes at once into the sheet's temporary file through the C library's buffer; a row
    // that did not reach it (a full disk) would be missing without a word from the library.
    std::optional<std::string> Fault() const {
        if (error_ != LXW_NO_ERROR) {
            return lxw_strerror(error_);
        }
        FILE* rows = sheet_->optimize_tmpfile;
        errno = 0;
        if (rows && (std::fflush(rows) != 0 || std::ferror(rows))) {
            return "its rows could not be kept in a temporary file (" +
                   SystemReason(errno != 0 ? errno : EIO) + ")";
        }
        return std::nullopt;
    }

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
                if (time.year < 1900 || time.year > 9999) {
                    break;  // no spreadsheet shows such a date; the elapsed time still stands
                }
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

std::optional<std::string> WriteStatistics(lxw_workbook* book,
                                           const std::vector<std::vector<Cell>>& rows) {
    SheetWriter statistics(book, "Statistics");
    statistics.Header(StatisticsHeader());
    lxw_row_t row = 1;
    for (const std::vector<Cell>& cells : rows) {
        statistics.Row(row++, cells);
    }
    return statistics.Fault();
}

std::optional<std::string> WriteConversions(lxw_workbook* book,
                                            const std::vector<Conversion>& applied) {
    if (applied.empty()) {
        return std::nullopt;
    }
    SheetWriter sheet(book, "Conversions");
    sheet.Header({"Unit", "New unit", "Factor", "Offset"});
    lxw_row_t row = 1;
    for (const Conversion& conversion : applied) {
        sheet.Row(row++, {{Cell::Kind::Text, 0, conversion.unit},
                          {Cell::Kind::Text, 0, conversion.newUnit},
                          {Cell::Kind::Number, conversion.factor, {}},
                          {Cell::Kind::Number, conversion.offset, {}}});
    }
    return sheet.Fault();
}

// The library tells its failures on the standard error as well as in its result; the result
// is what the user is told, so its own lines are kept off the standard error meanwhile.
class QuietStandardError {
  public:
    QuietStandardError() : saved_(::dup(kStandardError)) {
        std::fflush(stderr);
        const int null = ::open(kNullDevice, O_WRONLY);
        if (saved_ >= 0 && null >= 0) {
            ::dup2(null, kStandardError);
        }
        if (null >= 0) {
            ::close(null);
        }
    }
    ~QuietStandardError() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, kStandardError);
            ::close(saved_);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

  private:
    static constexpr int kStandardError = 2;
#ifdef _WIN32
    static constexpr const char* kNullDevice = "NUL";
#else
    static constexpr const char* kNullDevice = "/dev/null";
#endif
    int saved_;
};

// The workbook written into the output's temporary file, the library's own temporary files
// into `tmpdir` (its default when empty); the reason for a failure, if any. The library's
// constant-memory mode holds one row of a sheet in memory and the rest in a temporary file
// (unlinked at once, so that nothing is left behind): rows are written in order, row by row,
// and the memory stays the same whatever the number of readings.
std::optional<std::string> WriteWorkbook(const std::string& path, std::string tmpdir,
                                         const std::vector<Record>& records, const UnitTable& names,
                                         const TimeAxis& axis,
                                         const std::vector<Conversion>& conversions) {
    const QuietStandardError quiet;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.empty() ? nullptr : tmpdir.data();
    lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
    if (!book) {
        return lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED);
    }
    // The statistics first: the series they are taken of are let go before the table is made.
    const std::vector<std::vector<Cell>> figures = StatisticsRows(records, names, conversions);
    const ReadingsTable table(records, names, axis, conversions);
    SheetWriter readings(book, "Readings");
    readings.Header(table.Header());
    std::vector<Cell> cells;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        table.Row(row, cells);
        readings.Row(static_cast<lxw_row_t>(row + 1), cells);
    }
    const std::optional<std::string> lost = readings.Fault();
    const std::optional<std::string> statistics = WriteStatistics(book, figures);
    const std::optional<std::string> noted = WriteConversions(book, table.Applied());
    const std::optional<std::string> fault = lost ? lost : statistics ? statistics : noted;
    errno = 0;
    const lxw_error closed = workbook_close(book);  // writes the file and frees the workbook
    if (fault || closed == LXW_NO_ERROR) {
        return fault;
    }
    std::string reason = lxw_strerror(closed);
    if (errno != 0) {
        reason += " (" + SystemReason(errno) + ")";
    }
    return reason;
}

}  // namespace

Failure WriteReadingsXlsx(const std::string& path, const std::vector<Record>& records,
                          const UnitTable& names, const TimeAxis& axis,
                          const std::vector<Conversion>& conversions) {
    if (records.size() >= LXW_ROW_MAX) {
        return "Cannot write " + path + ": its " + std::to_string(records.size()) +
               " readings are more than a sheet holds (" + std::to_string(LXW_ROW_MAX - 1) +
               "); export them as CSV";
    }
    OutputFile out;
    if (Failure failure = out.Open(path); failure || (failure = out.NeedFilePath())) {
        return failure;
    }
    // The library opens its files by narrow names (on Windows in the ANSI code page); its own
    // temporary files go beside the output, whose folder then has such a name too.
    const std::string& temporary = out.TemporaryPath();
    const std::optional<std::string> narrow = AnsiPath(temporary);
    const std::optional<std::string> folder =
        AnsiPath(temporary.substr(0, temporary.find_last_of("/\\") + 1));
    if (!narrow || !folder) {
        return "Cannot write " + path +
               ": the workbook writer cannot open files by this folder's name on this system; "
               "export into another folder, or as CSV";
    }
    if (const std::optional<std::string> reason =
            WriteWorkbook(*narrow, *folder, records, names, axis, conversions)) {
        return "Cannot write " + path + ": " + *reason;
    }
    return out.Commit();
}

}  // namespace rv7342

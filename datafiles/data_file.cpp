#include "datafiles/data_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>
#include <utility>

#include "datafiles/files.h"
#include "datafiles/text_fields.h"

namespace rv7342 {

std::string FormatRecord(const Record& record) {
    return FormatInteger(record.number) + ',' + FormatDouble(record.value1) + ',' +
           FormatInteger(record.unit1) + ',' + FormatDouble(record.value2) + ',' +
           FormatInteger(record.unit2) + "\r\n";
}

Failure DataFileWriter::Open(const std::string& path, FileCreation creation) {
    wholeSize_ = 0;
    records_ = 0;
    const Failure failure = file_.OpenForReadings(path, creation);
    open_ = !failure;
    return failure;
}

Failure DataFileWriter::Append(const Record& record) {
    const std::string line = FormatRecord(record);
    if (Failure failure = file_.Write(line)) {
        file_.CutTo(wholeSize_);
        return failure;
    }
    wholeSize_ += static_cast<long long>(line.size());
    ++records_;
    return std::nullopt;
}

Failure DataFileWriter::Close() {
    if (!open_) {
        return std::nullopt;
    }
    open_ = false;
    if (records_ == 0) {
        file_.Abandon();
        return std::nullopt;
    }
    return file_.Commit();
}

namespace {

constexpr std::size_t kFields = 5;

// A unit code is a whole number of 16 bits, signed or unsigned: -32768 to 65535. A code no
// unit table can hold (32768 and above, -32768) maps to -1, which names no unit; anything else
// is no unit code at all.
std::optional<int> ToUnitCode(double value) {
    if (!(value >= -32768.0 && value <= 65535.0) || value != std::trunc(value)) {
        return std::nullopt;
    }
    return std::fabs(value) <= 32767.0 ? static_cast<int>(value) : -1;
}

// The record number is only a count; one that no 64-bit integer holds (only a malformed file
// has one) maps to 0, like an infinite one.
long long ToRecordNumber(double value) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    return value >= -kLimit && value < kLimit ? static_cast<long long>(value) : 0;
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string LineFault(int line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

// The fields of one line, at most `most` of them, and the count of all; no count when a quote
// is left open.
std::optional<std::size_t> SplitFields(std::string_view line, std::string_view* fields,
                                       std::size_t most) {
    FieldReader reader(line);
    std::size_t count = 0;
    while (!reader.AtEnd()) {
        const std::string_view field = *reader.ReadText();
        if (count < most) {
            fields[count] = field;
        }
        ++count;
    }
    return reader.QuoteLeftOpen() ? std::nullopt : std::optional<std::size_t>(count);
}

// One line as a record; the reason names the line and what is wrong with it.
Failure ParseRecord(std::string_view line, int lineNumber, bool lineEnded, Record& record) {
    std::string_view fields[kFields];
    const std::optional<std::size_t> split = SplitFields(line, fields, kFields);
    if (!split) {
        return LineFault(lineNumber,
                         "a quote is never closed on the line: " + QuotedForMessage(line));
    }
    const std::size_t count = *split;
    if (count < kFields && !lineEnded) {
        return LineFault(lineNumber, "the record is incomplete");
    }
    if (count != kFields) {
        return LineFault(lineNumber, "it holds " + std::to_string(count) +
                                         " fields, not 5: " + QuotedForMessage(line));
    }
    const char* const names[kFields] = {"number", "value", "unit code", "value", "unit code"};
    double numbers[kFields] = {};
    for (std::size_t i = 0; i < kFields; ++i) {
        const std::optional<double> number = ParseNumber(fields[i]);
        if (!number) {
            return LineFault(lineNumber, std::string("the ") + names[i] + " " +
                                             QuotedForMessage(fields[i]) + " is not a number");
        }
        numbers[i] = *number;
    }
    const std::optional<int> unit1 = ToUnitCode(numbers[2]), unit2 = ToUnitCode(numbers[4]);
    if (!unit1 || !unit2) {
        return LineFault(lineNumber, "the unit code " + QuotedForMessage(fields[unit1 ? 4 : 2]) +
                                         " is not a whole number of 16 bits");
    }
    record = {ToRecordNumber(numbers[0]), numbers[1], *unit1, numbers[3], *unit2};
    return std::nullopt;
}

// Why the lines stopped before their end, or nothing when they simply ran out.
Failure StopFault(const LineReader& lines) {
    if (lines.Stopped() == LineReader::Stop::TooLong) {
        return LineFault(lines.LineNumber(), "the line runs on for more than 4 MB: " +
                                                 QuotedForMessage(lines.LongLineStart()));
    }
    return std::nullopt;
}

// The next line that is not blank. Blank lines are the end of the file when nothing but blank
// lines follows them; otherwise the first of them is at fault.
std::optional<std::string_view> NextRecordLine(LineReader& lines, Failure& fault) {
    int firstBlank = 0;
    while (const std::optional<std::string_view> line = lines.Next()) {
        if (!IsBlankLine(*line)) {
            if (firstBlank != 0) {
                fault = LineFault(firstBlank, "the line is empty");
                return std::nullopt;
            }
            return line;
        }
        firstBlank = firstBlank != 0 ? firstBlank : lines.LineNumber();
    }
    fault = StopFault(lines);
    return std::nullopt;
}

}  // namespace

Failure ReadRecords(LineReader& lines, std::optional<int> count, std::vector<Record>& records) {
    records.clear();
    while (!count || static_cast<int>(records.size()) < *count) {
        Failure fault;
        const std::optional<std::string_view> line = NextRecordLine(lines, fault);
        if (!line) {
            if (!fault && count) {
                fault = "the file ends after " + std::to_string(records.size()) + " records";
            }
            return fault;
        }
        Record record;
        if (Failure failure = ParseRecord(*line, lines.LineNumber(), lines.LineEnded(), record)) {
            return failure;
        }
        records.push_back(record);
    }
    return std::nullopt;
}

Failure ReadRecordsFromText(std::string_view text, int count, std::vector<Record>& records) {
    LineReader lines(text);
    return ReadRecords(lines, std::max(count, 0), records);
}

Failure ReadAllRecordsFromText(std::string_view text, std::vector<Record>& records) {
    LineReader lines(text);
    return ReadRecords(lines, std::nullopt, records);
}

Failure DataFileReader::Open(const std::string& path) {
    path_ = path;
    errno = 0;
    file_.reset(OpenFile(path, "rb"));
    if (!file_) {
        return "Cannot open " + path + ": " + OpenFailureReason(path, errno);
    }
    return std::nullopt;
}

Failure DataFileReader::Read(std::optional<int> count, std::vector<Record>& records) {
    LineReader lines(file_.get());
    Failure fault = ReadRecords(lines, count, records);
    readFailed_ = lines.Stopped() == LineReader::Stop::ReadFailed;
    if (readFailed_) {
        return "Cannot read " + path_ + ": " + SystemReason(lines.ReadError());
    }
    return fault;
}

Failure ReadDataFile(const std::string& path, std::vector<Record>& records) {
    records.clear();
    DataFileReader file;
    if (Failure failure = file.Open(path)) {
        return failure;
    }
    if (const Failure failure = file.Read(std::nullopt, records)) {
        return file.ReadFailed() ? failure : path + ", " + *failure;
    }
    if (records.empty()) {
        return path + " holds no readings";
    }
    return std::nullopt;
}

Failure ReadDataFileRecords(const std::string& path, int count, std::vector<Record>& records) {
    records.clear();
    DataFileReader file;
    if (count > 0) {
        if (Failure failure = file.Open(path)) {
            return failure;
        }
        if (const Failure failure = file.Read(count, records)) {
            return file.ReadFailed()
                       ? failure
                       : path + " should hold " + std::to_string(count) + " readings, but only " +
                             std::to_string(records.size()) + " could be read: " + *failure;
        }
    }
    if (records.empty()) {
        return path + " holds no readings";
    }
    return std::nullopt;
}

}  // namespace rv7342

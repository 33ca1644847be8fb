#include "datafiles/data_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <utility>

#include "datafiles/files.h"
#include "datafiles/text_fields.h"

namespace rv7342 {

std::string FormatRecord(const Record& record) {
    return FormatInteger(record.number) + ',' + FormatDouble(record.value1) + ',' +
           FormatInteger(record.unit1) + ',' + FormatDouble(record.value2) + ',' +
           FormatInteger(record.unit2) + "\r\n";
}

Failure DataFileWriter::Open(const std::string& path) {
    path_ = path;
    errno = 0;
    file_.reset(OpenFile(path, "wb"));
    if (!file_) {
        return "Cannot create " + path + ": " + OpenFailureReason(path, errno);
    }
    return std::nullopt;
}

Failure DataFileWriter::Append(const Record& record) {
    const std::string line = FormatRecord(record);
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() ||
        std::fflush(file_.get()) != 0) {
        return "Cannot write to " + path_ + ": " + SystemReason(errno);
    }
    return std::nullopt;
}

Failure DataFileWriter::Close() {
    if (!file_) {
        return std::nullopt;
    }
    errno = 0;
    if (std::fclose(file_.release()) != 0) {
        return "Cannot close " + path_ + ": " + SystemReason(errno);
    }
    return std::nullopt;
}

namespace {

// Unit codes are small integers; a code that cannot be one maps to -1, which names no unit.
int ToUnitCode(double value) {
    if (!(std::fabs(value) <= 32767.0)) {
        return -1;
    }
    return static_cast<int>(std::nearbyint(value));
}

// The record number is only a count; one that no 64-bit integer holds (only a malformed file
// has one) maps to 0, like an infinite one.
long long ToRecordNumber(double value) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    return value >= -kLimit && value < kLimit ? static_cast<long long>(value) : 0;
}

class RecordParser {
  public:
    explicit RecordParser(std::string_view text) : fields_(text) {}

    bool AtEnd() const { return fields_.AtEnd(); }

    [[nodiscard]] Failure ReadRecord(Record& record) {
        double number = 0, unit1 = 0, unit2 = 0;
        const std::pair<double*, const char*> fields[] = {{&number, "number"},
                                                          {&record.value1, "value"},
                                                          {&unit1, "unit code"},
                                                          {&record.value2, "value"},
                                                          {&unit2, "unit code"}};
        for (const auto& [value, what] : fields) {
            if (Failure failure = ReadNumber(*value, what)) {
                return failure;
            }
        }
        record.number = ToRecordNumber(number);
        record.unit1 = ToUnitCode(unit1);
        record.unit2 = ToUnitCode(unit2);
        return std::nullopt;
    }

  private:
    [[nodiscard]] Failure ReadNumber(double& value, const char* what) {
        if (fields_.AtEnd()) {
            return "line " + std::to_string(fields_.FieldLine()) + ": the record is incomplete";
        }
        const std::string_view field = *fields_.ReadText();
        const auto number = ParseNumber(field);
        if (!number) {
            return "line " + std::to_string(fields_.FieldLine()) + ": the " + what + " " +
                   QuotedForMessage(field) + " is not a number";
        }
        value = *number;
        return std::nullopt;
    }

    FieldReader fields_;
};

}  // namespace

Failure ReadRecordsFromText(std::string_view text, int count, std::vector<Record>& records) {
    records.clear();
    RecordParser parser(text);
    for (int i = 0; i < count; ++i) {
        if (parser.AtEnd()) {
            return "the file ends after " + std::to_string(i) + " records";
        }
        Record record;
        if (Failure failure = parser.ReadRecord(record)) {
            return failure;
        }
        records.push_back(record);
    }
    return std::nullopt;
}

Failure ReadAllRecordsFromText(std::string_view text, std::vector<Record>& records) {
    records.clear();
    // One record a line: reserving for every line keeps a long file from being copied as the
    // vector grows.
    records.reserve(std::count(text.begin(), text.end(), '\n') + 1);
    RecordParser parser(text);
    while (!parser.AtEnd()) {
        Record record;
        if (Failure failure = parser.ReadRecord(record)) {
            return failure;
        }
        records.push_back(record);
    }
    return std::nullopt;
}

Failure ReadDataFile(const std::string& path, std::vector<Record>& records) {
    records.clear();
    std::string text;
    if (Failure failure = ReadWholeFile(path, text)) {
        return failure;
    }
    if (const Failure failure = ReadAllRecordsFromText(text, records)) {
        return path + ", " + *failure;
    }
    if (records.empty()) {
        return path + " holds no readings";
    }
    return std::nullopt;
}

Failure ReadDataFileRecords(const std::string& path, int count, std::vector<Record>& records) {
    records.clear();
    std::string text;
    if (count > 0) {
        if (Failure failure = ReadWholeFile(path, text)) {
            return failure;
        }
    }
    if (const Failure failure = ReadRecordsFromText(text, count, records)) {
        return path + " should hold " + std::to_string(count) + " readings, but only " +
               std::to_string(records.size()) + " could be read: " + *failure;
    }
    if (records.empty()) {
        return path + " holds no readings";
    }
    return std::nullopt;
}

}  // namespace rv7342

#include "datafiles/data_file.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "datafiles/text_fields.h"

namespace rv7342 {

std::string SystemReason(int errorNumber) {
    return std::strerror(errorNumber);
}

std::string FormatRecord(const Record& record) {
    return FormatInteger(record.number) + ',' + FormatDouble(record.value1) + ',' +
           FormatInteger(record.unit1) + ',' + FormatDouble(record.value2) + ',' +
           FormatInteger(record.unit2) + "\r\n";
}

std::string DataFileWriter::Open(const std::string& path) {
    path_ = path;
    errno = 0;
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) {
        return "Cannot create " + path + ": " + SystemReason(errno);
    }
    return {};
}

std::string DataFileWriter::Append(const Record& record) {
    const std::string line = FormatRecord(record);
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() ||
        std::fflush(file_.get()) != 0) {
        return "Cannot write to " + path_ + ": " + SystemReason(errno);
    }
    return {};
}

std::string DataFileWriter::Close() {
    if (!file_) {
        return {};
    }
    errno = 0;
    const bool closed = std::fclose(file_.release()) == 0;
    return closed ? std::string() : "Cannot close " + path_ + ": " + SystemReason(errno);
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

    bool ReadRecord(Record& record, std::string& error) {
        double number = 0, unit1 = 0, unit2 = 0;
        if (!ReadNumber(number, "number", error) || !ReadNumber(record.value1, "value", error) ||
            !ReadNumber(unit1, "unit code", error) || !ReadNumber(record.value2, "value", error) ||
            !ReadNumber(unit2, "unit code", error)) {
            return false;
        }
        record.number = ToRecordNumber(number);
        record.unit1 = ToUnitCode(unit1);
        record.unit2 = ToUnitCode(unit2);
        return true;
    }

  private:
    bool ReadNumber(double& value, const char* what, std::string& error) {
        if (fields_.AtEnd()) {
            error = "line " + std::to_string(fields_.FieldLine()) + ": the record is incomplete";
            return false;
        }
        const std::string field = *fields_.ReadText();
        const auto number = ParseNumber(field);
        if (!number) {
            error = "line " + std::to_string(fields_.FieldLine()) + ": the " + what + " \"" +
                    field + "\" is not a number";
            return false;
        }
        value = *number;
        return true;
    }

    FieldReader fields_;
};

}  // namespace

RecordReading ReadRecordsFromText(std::string_view text, int count) {
    RecordReading reading;
    RecordParser parser(text);
    for (int i = 0; i < count; ++i) {
        if (parser.AtEnd()) {
            reading.error = "the file ends after " + std::to_string(i) + " records";
            break;
        }
        Record record;
        if (!parser.ReadRecord(record, reading.error)) {
            break;
        }
        reading.records.push_back(record);
    }
    return reading;
}

bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error) {
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        error = "Cannot open " + path + ": " + SystemReason(errno);
        return false;
    }
    contents.clear();
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        contents.append(chunk, got);
    }
    if (std::ferror(file.get())) {
        error = "Cannot read " + path + ": " + SystemReason(errno);
        return false;
    }
    return true;
}

}  // namespace rv7342

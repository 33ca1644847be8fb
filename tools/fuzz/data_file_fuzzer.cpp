// Arbitrary text read as a data file. The first two input bytes give the number of records
// asked for (a signed 16-bit count, as a transfer leaves it), the rest is the file.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "datafiles/data_file.h"
#include "tools/fuzz/fuzz_check.h"

namespace rv7342 {
namespace {

bool IsUnitCode(int code) {
    return code >= -32767 && code <= 32767;
}

// A record read from any file, written again, reads back the same.
void CheckRewrite(const Record& record) {
    if (!std::isfinite(record.value1) || !std::isfinite(record.value2)) {
        return;  // only a malformed file holds values beyond the double range
    }
    std::vector<Record> again;
    Require(!ReadRecordsFromText(FormatRecord(record), 1, again) && again.size() == 1,
            "a written record reads back");
    const Record& read = again[0];
    Require(read.number == record.number, "record number reads back");
    Require(read.unit1 == record.unit1 && read.unit2 == record.unit2, "unit codes read back");
    const auto close = [](double a, double b) { return std::fabs(a - b) <= 1e-14 * std::fabs(a); };
    Require(close(record.value1, read.value1) && close(record.value2, read.value2),
            "values read back to 15 significant digits");
}

// A reason is shown to the user as it is: short, and printable whatever the file holds.
void CheckReason(const std::string& reason) {
    Require(reason.size() <= 120, "a reason is short");
    for (char c : reason) {
        Require(c >= 0x20 && c < 0x7F, "a reason is printable");
    }
}

void FuzzReadRecords(int count, std::string_view text) {
    std::vector<Record> records;
    const Failure failure = ReadRecordsFromText(text, count, records);
    const std::size_t wanted = count > 0 ? static_cast<std::size_t>(count) : 0;
    Require(records.size() <= wanted, "no more records than asked for");
    Require(!failure == (records.size() == wanted),
            "a reason is given exactly when fewer records were read");
    if (failure) {
        CheckReason(*failure);
    }
    for (const Record& record : records) {
        Require(!std::isnan(record.value1) && !std::isnan(record.value2), "values are numbers");
        Require(IsUnitCode(record.unit1) && IsUnitCode(record.unit2), "unit codes fit 16 bits");
        CheckRewrite(record);
    }
}

}  // namespace
}  // namespace rv7342

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 2) {
        const auto count = static_cast<std::int16_t>(data[0] | data[1] << 8);
        rv7342::FuzzReadRecords(count, {reinterpret_cast<const char*>(data) + 2, size - 2});
    }
    return 0;
}

// Arbitrary bytes from the serial line fed to the transfer machine. The first input byte
// says which append the data file refuses (0: none), so the write-failure path is explored
// as well. Every record written must read back from the data file text as it was written.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/data_file.h"
#include "tools/fuzz/fuzz_check.h"
#include "transfer/transfer_procedure.h"

namespace rv7342 {
namespace {

// Stands in for the data file: keeps the records and the text the file would hold.
class RecordSink {
  public:
    explicit RecordSink(int failingAppend) : failingAppend_(failingAppend) {}

    Failure Append(const Record& record) {
        if (++appends_ == failingAppend_) {
            return "disk full";
        }
        Require(record.number > (records_.empty() ? 0 : records_.back().number),
                "record numbers start at 1 and increase");
        Require(std::isfinite(record.value1) && std::isfinite(record.value2),
                "decoded values are finite");
        records_.push_back(record);
        text_ += FormatRecord(record);
        return std::nullopt;
    }

    // What the data viewer would read back for `datano` records.
    void CheckReadBack(int datano) const {
        Require(datano == static_cast<int>(records_.size()), "datano counts the records written");
        std::vector<Record> read;
        Require(!ReadRecordsFromText(text_, datano, read),
                "the written file reads back without error");
        Require(read.size() == records_.size(), "every written record reads back");
        for (std::size_t i = 0; i < records_.size(); ++i) {
            CheckSame(records_[i], read[i]);
        }
    }

  private:
    static bool Close(double written, double read) {
        return std::fabs(written - read) <= 1e-14 * std::fabs(written);
    }

    static void CheckSame(const Record& written, const Record& read) {
        Require(written.number == read.number, "record number reads back");
        Require(written.unit1 == read.unit1 && written.unit2 == read.unit2, "unit codes read back");
        Require(Close(written.value1, read.value1) && Close(written.value2, read.value2),
                "values read back to 15 significant digits");
    }

    int failingAppend_;
    int appends_ = 0;
    std::vector<Record> records_;
    std::string text_;
};

void FuzzTransfer(int failingAppend, const std::uint8_t* bytes, std::size_t size) {
    DecoderState decoder;
    RecordSink sink(failingAppend);
    TransferMachine machine(decoder, [&sink](const Record& record) { return sink.Append(record); });
    for (std::size_t i = 0; i < size; ++i) {
        const TransferMachine::Step step = machine.Feed(bytes[i]);
        if (step == TransferMachine::Step::WriteFailed) {
            Require(machine.WriteFailure() == "disk full", "a failed write reports its reason");
            break;
        }
        if (step == TransferMachine::Step::Finished) {
            break;
        }
    }
    sink.CheckReadBack(machine.RecordsWritten());
    Require(
        machine.MalformedRecords() >= 0 && machine.MalformedRecords() <= machine.RecordsWritten(),
        "malformed records are some of the records written");
}

}  // namespace
}  // namespace rv7342

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0) {
        rv7342::FuzzTransfer(data[0], data + 1, size - 1);
    }
    return 0;
}

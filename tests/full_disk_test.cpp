// Linux only: the disk is made full by a file-size limit in a child process.
#include "transfer/transfer_procedure.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <optional>
#include <string>

#include "tests/child_process.h"
#include "tests/meter_stream.h"
#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

// A full disk, made by a file-size limit in a child process: the transfer stops at the record
// that does not fit, and every record before it is whole in the file.
TEST(TransferMachine, AFullDiskStopsTheTransferWithEveryCompletedRecordKept) {
    TempDir dir;
    const std::string path = dir.Path("full.dat");
    const std::optional<int> status = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        DataFileWriter file;
        DecoderState decoder;
        TransferMachine machine(decoder, [&file](const Record& r) { return file.Append(r); });
        const bool opened = !file.Open(path);
        TransferMachine::Step step = TransferMachine::Step::Going;
        for (std::uint8_t byte : MemoryImage(std::vector<Bytes>(20, kTwoValue))) {
            if ((step = machine.Feed(byte)) != TransferMachine::Step::Going) {
                break;
            }
        }
        const bool reported =
            machine.WriteFailure().value_or("").find("File too large") != std::string::npos;
        const bool failed = step == TransferMachine::Step::WriteFailed;
        return opened && failed && reported ? machine.RecordsWritten() : 255;
    });
    const std::string line = "1,12.34,5,12.3,3\r\n";
    const int fitting = static_cast<int>(100 / line.size());
    EXPECT_EQ(status, fitting) << "datano counts the records on disk";
    std::vector<Record> records;
    EXPECT_TRUE(ReadRecordsFromText(dir.Read("full.dat"), 20, records).has_value());
    EXPECT_EQ(static_cast<int>(records.size()), fitting);
    EXPECT_EQ(dir.Read("full.dat").size(), fitting * line.size()) << "the cut line is gone";
}

}  // namespace
}  // namespace rv7342

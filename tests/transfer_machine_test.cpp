#include "transfer/transfer_procedure.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "tests/meter_stream.h"
#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

const Bytes kTwoValue = Frame("03051201231234");     // 12.34 unit 5, 12.3 unit 3
const Bytes kSingleValue = Frame("49991397712345");  // -12.345 unit 99

// Feeds a stream and keeps the records the machine writes.
struct Transfer {
    DecoderState decoder;
    int datano = -1;
    std::vector<Record> records;
    TransferMachine machine{decoder, datano, [this](const Record& record) -> Failure {
                                records.push_back(record);
                                return std::nullopt;
                            }};
    // Index of the byte at which the machine finished, or -1.
    long Feed(const Bytes& stream) {
        for (std::size_t i = 0; i < stream.size(); ++i) {
            if (machine.Feed(stream[i]) == TransferMachine::Step::Finished) {
                return static_cast<long>(i);
            }
        }
        return -1;
    }
};

TEST(TransferMachine, WholeMemoryWritesOneRecordPerFrame) {
    for (int n : {0, 1, 3}) {
        SCOPED_TRACE(n);
        Transfer transfer;
        const Bytes stream = MemoryImage(std::vector<Bytes>(n, kTwoValue));
        EXPECT_EQ(transfer.Feed(stream), static_cast<long>(stream.size()) - 1)
            << "ends on the last byte of the second closing frame, noise escapes not counted";
        ASSERT_EQ(transfer.records.size(), static_cast<std::size_t>(n));
        EXPECT_EQ(transfer.datano, n);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(transfer.records[i].number, i + 1);
            EXPECT_EQ(FormatRecord(transfer.records[i]),
                      std::to_string(i + 1) + ",12.34,5,12.3,3\r\n");
        }
    }
}

// Bytes other than digits where the decoder reads (positions 14 to 1) make a malformed
// record; the first and last byte of a frame are never read and do not.
TEST(TransferMachine, CountsRecordsDecodedFromBytesOtherThanDigits) {
    Transfer transfer;
    Bytes letterInValue = kTwoValue;
    letterInValue[12] = 'A';  // position 3
    Bytes blankSign = kTwoValue;
    blankSign[1] = ' ';  // position 14
    Bytes oddEnds = kTwoValue;
    oddEnds[0] = 'x';  // position 15
    Bytes abandoned = Bytes{'1', '2', 0};
    Bytes stream{13};
    stream += kTwoValue;
    stream += letterInValue;
    stream += oddEnds;
    stream += blankSign;
    stream += abandoned;  // the 13 that ends the next frame writes from the buffer as it stands
    stream += Bytes{13};
    stream += kTwoValue;
    ASSERT_EQ(transfer.Feed(stream), -1);
    EXPECT_EQ(transfer.datano, 6);
    EXPECT_EQ(transfer.machine.MalformedRecords(), 2)
        << "the letter and the blank; the synchronising record reads the clean digits left";
    EXPECT_EQ(transfer.machine.EscapeCount(), 0);
}

TEST(TransferMachine, NoRecordOnceFourteenEscapesAreCounted) {
    Transfer transfer;
    Bytes thirteenEscapes = Frame("00000000001111");
    for (int i = 1; i <= 13; ++i) {
        thirteenEscapes[i] = 27;
    }
    Bytes oneMore = Frame("03051201231234");
    oneMore[2] = 27;  // the 14th escape, inside an otherwise good frame
    Bytes custom{13};
    custom += kTwoValue;
    custom += thirteenEscapes;  // 13 escapes: still written
    custom += oneMore;          // reaches 14 during the frame: not written
    custom += EscapeFrame(14);  // 28 after this frame: the end
    EXPECT_EQ(transfer.Feed(custom), static_cast<long>(custom.size()) - 1);
    EXPECT_EQ(transfer.records.size(), 2u);
}

TEST(TransferMachine, ZeroAbandonsTheFrameAndTheNext13WritesTheBuffer) {
    Transfer transfer;
    Bytes stream{13};
    stream += kTwoValue;
    Bytes broken = Frame("49992397712345");
    broken.resize(6);
    broken.push_back(0);  // abandons after positions 15..10
    stream += broken;
    stream += Bytes{'7', 13};  // the 7 is ignored while synchronising; the 13 writes a record
    stream += kTwoValue;
    stream += EscapeFrame();
    stream += EscapeFrame();
    EXPECT_GE(transfer.Feed(stream), 0);
    ASSERT_EQ(transfer.records.size(), 3u);
    // Positions 15..10 of the broken frame, the rest from the frame before; the record of a
    // synchronising 13 is decoded as two values whatever position 14 holds.
    EXPECT_EQ(transfer.records[1].number, 2);
    EXPECT_EQ(transfer.records[1].unit1, 99);
    EXPECT_EQ(transfer.records[1].value1, 12.34);
    EXPECT_EQ(transfer.records[1].value2, 1.23) << "second exponent from the broken frame";
    EXPECT_EQ(transfer.records[1].unit2, 9);
    EXPECT_EQ(transfer.records[2].number, 3);
}

TEST(TransferMachine, ThirteenInsideAFrameIsADigit) {
    Transfer transfer;
    Bytes frame = Frame("03051201231234");
    frame[10] = 13;  // position 5 of the second value
    transfer.Feed(MemoryImage({frame, kTwoValue}));
    ASSERT_EQ(transfer.records.size(), 2u);
    EXPECT_EQ(transfer.records[0].value2, (100 + 20 - 35) / 10.0);
    EXPECT_EQ(transfer.records[1].value1, 12.34) << "the frame boundary did not move";
}

TEST(TransferMachine, ACountThatPasses28WithoutStandingAtItGoesOn) {
    Transfer transfer;
    Bytes stream{13};
    stream += EscapeFrame(14);
    stream += EscapeFrame(13);  // 27
    stream += EscapeFrame(3);   // 30: no end
    stream += kTwoValue;
    EXPECT_EQ(transfer.Feed(stream), -1);
    EXPECT_TRUE(transfer.records.empty());
}

TEST(TransferMachine, CountsBeyondSixteenBits) {
    Transfer transfer;
    const int n = 40000;
    EXPECT_GE(transfer.Feed(MemoryImage(std::vector<Bytes>(n, kSingleValue))), 0);
    EXPECT_EQ(transfer.datano, n);
    EXPECT_EQ(transfer.records.back().number, n);
}

// A full disk, made by a file-size limit in a child process: the transfer stops at the record
// that does not fit, and every record before it is whole in the file.
TEST(RunTransfer, AFullDiskStopsTheTransferWithEveryCompletedRecordKept) {
    TempDir dir;
    const std::string path = dir.Path("full.dat");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        DataFileWriter file;
        DecoderState decoder;
        int datano = 0;
        TransferMachine machine(decoder, datano,
                                [&file](const Record& r) { return file.Append(r); });
        const Bytes stream = MemoryImage(std::vector<Bytes>(20, kTwoValue));
        std::size_t fed = 0;
        const bool opened = !file.Open(path);
        const TransferEnd end = RunTransfer(machine, [&]() -> std::optional<std::uint8_t> {
            return fed < stream.size() ? std::optional<std::uint8_t>(stream[fed++]) : std::nullopt;
        });
        const bool reported =
            machine.WriteFailure().value_or("").find("File too large") != std::string::npos;
        _exit(opened && end == TransferEnd::WriteFailed && reported ? datano : 255);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    const std::string line = "1,12.34,5,12.3,3\r\n";
    const int fitting = static_cast<int>(100 / line.size());
    EXPECT_EQ(WEXITSTATUS(status), fitting) << "datano counts the records on disk";
    std::vector<Record> records;
    EXPECT_TRUE(ReadRecordsFromText(dir.Read("full.dat"), 20, records).has_value());
    EXPECT_EQ(static_cast<int>(records.size()), fitting);
}

}  // namespace
}  // namespace rv7342

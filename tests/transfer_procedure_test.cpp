#include "transfer/transfer_procedure.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/meter_stream.h"
#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

const Bytes kCr{13};

// Feeds a stream and keeps the records the machine writes.
struct Transfer {
    DecoderState decoder;
    std::vector<Record> records;
    TransferMachine machine{decoder, [this](const Record& record) -> Failure {
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

// 40000 records count beyond 16 bits.
TEST(TransferMachine, WholeMemoryWritesOneRecordPerFrame) {
    for (int n : {0, 1, 3, 40000}) {
        SCOPED_TRACE(n);
        Transfer transfer;
        const Bytes stream = MemoryImage(std::vector<Bytes>(n, kTwoValue));
        EXPECT_EQ(transfer.Feed(stream), static_cast<long>(stream.size()) - 1)
            << "ends on the last byte of the second closing frame, noise escapes not counted";
        ASSERT_EQ(transfer.records.size(), static_cast<std::size_t>(n));
        EXPECT_EQ(transfer.machine.RecordsWritten(), n);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(FormatRecord(transfer.records[i]),
                      std::to_string(i + 1) + ",12.34,5,12.3,3\r\n");
        }
    }
}

// Bytes other than digits where the decoder reads (positions 14 to 1) make a malformed
// record; the first and last byte of a frame are never read and do not.
TEST(TransferMachine, CountsRecordsDecodedFromBytesOtherThanDigits) {
    Transfer transfer;
    // After the abandoned frame, the 13 that ends the next frame writes from the buffer.
    const Bytes stream = Concat({kCr, kTwoValue, With(kTwoValue, 12, 'A'), With(kTwoValue, 0, 'x'),
                                 With(kTwoValue, 1, ' '), Bytes{'1', '2', 0}, kCr, kTwoValue});
    ASSERT_EQ(transfer.Feed(stream), -1);
    EXPECT_EQ(transfer.machine.RecordsWritten(), 6);
    EXPECT_EQ(transfer.machine.MalformedRecords(), 2)
        << "the letter and the blank; the synchronising record reads the clean digits left";
    EXPECT_EQ(transfer.machine.EscapeCount(), 0);
}

// The transfer ends when the escape count stands at 28 after a frame; from 14 on no record
// is written. A 0 abandons a frame and a 13 inside one is a digit.
TEST(TransferMachine, EscapeCountingAbandonedFramesAndInnerThirteens) {
    const struct {
        const char* what;
        Bytes stream;
        bool finishes;
        std::size_t records;
        std::string text;  // empty: not compared
    } cases[] = {
        {"13 escapes are still written, the 14th inside a good frame is not, 28 ends",
         Concat({kCr, kTwoValue, EscapeFrame(13), With(kTwoValue, 2, 27), EscapeFrame(14)}), true,
         2, ""},
        {"a count that passes 28 without standing at it goes on",
         Concat({kCr, EscapeFrame(14), EscapeFrame(13), EscapeFrame(3), kTwoValue}), false, 0, ""},
        // A 0 abandons after positions 15..10; the 7 is ignored while synchronising and the
        // 13 writes the buffer: positions 15..10 of the broken frame, the rest from the frame
        // before, decoded as two values whatever position 14 holds.
        {"0 abandons, the next 13 writes the buffer",
         Concat({kCr, kTwoValue, Bytes{'0', '4', '9', '9', '9', '2', 0}, Bytes{'7', 13}, kTwoValue,
                 EscapeFrame(), EscapeFrame()}),
         true, 3, "1,12.34,5,12.3,3\r\n2,12.34,99,1.23,9\r\n3,12.34,5,12.3,3\r\n"},
        // A 13 at position 5 of the second value is the digit -35; the frame boundary holds.
        {"13 inside a frame is a digit", MemoryImage({With(kTwoValue, 10, 13), kTwoValue}), true, 2,
         "1,12.34,5,8.5,3\r\n2,12.34,5,12.3,3\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Transfer transfer;
        EXPECT_EQ(transfer.Feed(c.stream),
                  c.finishes ? static_cast<long>(c.stream.size()) - 1 : -1);
        ASSERT_EQ(transfer.records.size(), c.records);
        std::string text;
        for (const Record& record : transfer.records) {
            text += FormatRecord(record);
        }
        EXPECT_TRUE(c.text.empty() || text == c.text) << text;
    }
}

// `digits` (four of them) times 10^power as the data file writes it: 15 significant digits,
// trailing zeros dropped, plainly from 10^-4 to below 10^15 and with a signed two-digit exponent
// outside.
std::string FourDigitsTimesPowerOfTen(const std::string& digits, int power) {
    const int leading = power + 3;  // the power of ten of the first digit
    if (leading < -4 || leading >= 15) {
        const std::string exponent = std::to_string(std::abs(leading));
        return digits.substr(0, 1) + "." + digits.substr(1) + "E" + (leading < 0 ? "-" : "+") +
               (exponent.size() < 2 ? "0" : "") + exponent;
    }
    if (power >= 0) {
        return digits + std::string(power, '0');
    }
    if (leading >= 0) {
        return digits.substr(0, leading + 1) + "." + digits.substr(leading + 1);
    }
    return "0." + std::string(-leading - 1, '0') + digits;
}

// Every exponent a transfer can store, through a real file. A power of ten off by a few units
// in the last place would show, as in 1.23399999999999E+38.
TEST(TransferMachine, EveryExponentWritesItsExactValue) {
    Bytes stream = kCr;
    std::string expected;
    for (int byte = 1; byte <= '9'; ++byte) {  // exponents -47 to 9; a 0 abandons the frame
        const char exponent = static_cast<char>(byte);
        stream += Frame(std::string("1305") + exponent + exponent + "99991234");
        const int power = '0' - byte;  // the values are divided by 10^(byte - 48)
        expected += std::to_string(byte) + ",-" + FourDigitsTimesPowerOfTen("1234", power) + ",5," +
                    FourDigitsTimesPowerOfTen("9999", power) + ",3\r\n";
    }
    stream += EscapeFrame(12);  // the frame with exponents 27 brought the count to 2
    stream += EscapeFrame(14);
    TempDir dir;
    DataFileWriter file;
    ASSERT_EQ(file.Open(dir.Path("exponents.dat")), std::nullopt);
    DecoderState decoder;
    TransferMachine machine(decoder, [&file](const Record& r) { return file.Append(r); });
    TransferMachine::Step step = TransferMachine::Step::Going;
    for (std::uint8_t byte : stream) {
        if ((step = machine.Feed(byte)) != TransferMachine::Step::Going) {
            break;
        }
    }
    ASSERT_EQ(step, TransferMachine::Step::Finished);
    ASSERT_EQ(file.Close(), std::nullopt);
    const std::string text = dir.Read("exponents.dat");
    EXPECT_EQ(text, expected);
    for (const char* line :
         {"1,-1.234E+50,5,9.999E+50,3\r\n", "36,-1.234E+15,5,9.999E+15,3\r\n",
          "37,-123400000000000,5,999900000000000,3\r\n", "49,-123.4,5,999.9,3\r\n",
          "55,-0.0001234,5,0.0009999,3\r\n", "57,-1.234E-06,5,9.999E-06,3\r\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace rv7342

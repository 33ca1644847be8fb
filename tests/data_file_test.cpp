#include "datafiles/data_file.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

TEST(ReadRecords, ReadsBlanksLineEndsAndValuesBeyondTheirRanges) {
    std::vector<Record> records;
    ASSERT_EQ(ReadRecordsFromText(
                  "1,12.5,3,0,0\r\n2, -.25 ,4,1E-05,1\n3,1E+39,200,-1E+400,40000\r\n", 3, records),
              std::nullopt);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].value1, -0.25);
    EXPECT_EQ(records[1].unit2, 1);
    EXPECT_EQ(records[2].value1, 1E+39);
    EXPECT_EQ(records[2].value2, -HUGE_VAL);
    EXPECT_EQ(records[2].unit1, 200);
    EXPECT_EQ(records[2].unit2, -1) << "a code no table can hold names nothing";
}

// The reader stops at the first fault and says where. The window shows the reason as it is:
// its field is quoted short and printable (a field of megabytes, control bytes).
TEST(ReadRecords, StopsAtTheFirstFaultAndSaysWhere) {
    const struct {
        std::string text;
        int count;
        std::size_t read;
        std::string reason;
    } faults[] = {{"1,1,1,1,1\r\n\r\n", 3, 1, "the file ends after 1 records"},
                  {"1,1,1,1,1\r\n2,1.2.3,1,1,1\r\n3,1,1,1,1\r\n", 3, 1,
                   "line 2: the value \"1.2.3\" is not a number"},
                  {"1,1,1", 1, 0, "line 1: the record is incomplete"},
                  {"x,1,1,1,1\r\n", 1, 0, "line 1: the number \"x\" is not a number"},
                  {"1,1,1,1,1\r\n2," + std::string(1 << 20, '7') + "x,1,1,1\r\n", 2, 1,
                   "line 2: the value \"" + std::string(40, '7') + "...\" is not a number"},
                  {"1,1,1,1,1\r\n2,1,\"3\xB0\x01\",1,1\r\n", 2, 1,
                   "line 2: the unit code \"3\\xB0\\x01\" is not a number"},
                  {"1,1,1,1,1\r\n2,1,\"3\xB0\r\n\",1,1\r\n3,1,1,1,1\r\n", 3, 1,
                   "line 2: a quote is never closed on the line: \"2,1,\\\"3\\xB0\""}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.reason);
        std::vector<Record> records;
        EXPECT_EQ(ReadRecordsFromText(fault.text, fault.count, records), fault.reason);
        EXPECT_EQ(records.size(), fault.read) << "the records before the fault are kept";
    }
}

// Each line is one record of exactly five fields: a line with four or six, or a comma as
// decimal separator, is the faulty line, and nothing is taken from the next one. Unit codes
// are whole numbers of the 16-bit range; a byte-order mark is no field.
TEST(ReadRecords, EachLineIsOneRecordOfFiveFields) {
    const struct {
        std::string text;
        std::size_t read;
        std::string reason;  // empty: every record read
    } cases[] = {
        {"1,1,1,1\r\n2,2,2,2,2\r\n", 0, "line 1: it holds 4 fields, not 5: \"1,1,1,1\""},
        {"1,1,1,1,1\r\n2,2,2,2,2,2\r\n3,3,3,3,3\r\n", 1,
         "line 2: it holds 6 fields, not 5: \"2,2,2,2,2,2\""},
        {"1,1,1,1,1\r\n2,1,5,3,0,0\r\n", 1, "line 2: it holds 6 fields, not 5"},
        {"1,1,1,1,1\r\n\r\n2,2,2,2,2\r\n", 1, "line 2: the line is empty"},
        {"1,1,1.5,1,1\r\n", 0, "line 1: the unit code \"1.5\" is not a whole number of 16 bits"},
        {"1,1,1,1,65536\r\n", 0,
         "line 1: the unit code \"65536\" is not a whole number of 16 bits"},
        {"1,1,999999999999,1,1\r\n", 0, "line 1: the unit code \"999999999999\""},
        {"1,1,-32769,1,1\r\n", 0,
         "line 1: the unit code \"-32769\" is not a whole number of 16 bits"},
        {"1,1,1,1,-65535\r\n", 0,
         "line 1: the unit code \"-65535\" is not a whole number of 16 bits"},
        {"1,1,-32768,1,65535\r\n", 1, ""},
        {"1,1,-5,1,3.0\r\n", 1, ""},
        {"\xEF\xBB\xBF"
         "1,1,1,1,1\r\n2,2,2,2,2",
         2, ""},
        {"1,1,1,1,1\r\n\xEF\xBB\xBF"
         "2,2,2,2,2",
         1, "line 2: the number \"\\xEF\\xBB\\xBF2\""},
    };
    for (const auto& [text, read, reason] : cases) {
        SCOPED_TRACE(text);
        std::vector<Record> records;
        const Failure failure = ReadAllRecordsFromText(text, records);
        EXPECT_EQ(failure.has_value(), !reason.empty());
        EXPECT_EQ(failure.value_or("").rfind(reason, 0), 0u) << failure.value_or("");
        EXPECT_EQ(records.size(), read);
    }
    std::vector<Record> records;
    ASSERT_EQ(ReadAllRecordsFromText("7,1,-5,1,3.0\r\n", records), std::nullopt);
    EXPECT_EQ(records[0].unit1, -5) << "a noisy frame's code, as the transfer writes it";
    EXPECT_EQ(records[0].unit2, 3);
}

// Lines as the file holds them: numbers to 15 significant digits, trailing zeros dropped. Open
// empties an old file, and each line is on disk before the writer closes.
TEST(DataFileWriter, WritesEachRecordAsItsLine) {
    const std::pair<Record, const char*> cases[] = {
        {{1, 12.34, 5, 12.3, 3}, "1,12.34,5,12.3,3\r\n"},
        {{2, -0.25, 0, 1E-05, 1}, "2,-0.25,0,1E-05,1\r\n"},
        {{3, 1.0 / 3, 99, -0.0, 0}, "3,0.333333333333333,99,0,0\r\n"},
        {{40000, 123456789012345, -1, 1234567890123456, 9},
         "40000,123456789012345,-1,1.23456789012346E+15,9\r\n"},
        {{5, -1234 / 1e-35, 65535, 0.0001, -32768}, "5,-1.234E+38,65535,0.0001,-32768\r\n"},
    };
    TempDir dir;
    dir.Write("lines.dat", "old contents that must go\r\n");
    DataFileWriter writer;
    ASSERT_EQ(writer.Open(dir.Path("lines.dat")), std::nullopt);
    std::string expected;
    EXPECT_EQ(dir.Read("lines.dat"), expected);
    for (const auto& [record, line] : cases) {
        ASSERT_EQ(writer.Append(record), std::nullopt);
        expected += line;
        EXPECT_EQ(dir.Read("lines.dat"), expected) << "visible before the writer closes";
    }
    ASSERT_EQ(writer.Close(), std::nullopt);
    EXPECT_EQ(dir.Read("lines.dat"), expected);
}

// A value of any magnitude a double holds reads back from the file within half a unit of its
// 15th significant digit.
TEST(DataFileWriter, RandomValuesReadBackToFifteenDigits) {
    TempDir dir;
    std::mt19937 random(7342);
    std::uniform_real_distribution<double> mantissa(1, 10);
    std::uniform_int_distribution<int> exponent(-300, 300), unit(-32767, 32767);
    std::vector<Record> written;
    DataFileWriter writer;
    ASSERT_EQ(writer.Open(dir.Path("round.dat")), std::nullopt);
    for (int i = 1; i <= 2000; ++i) {
        const double sign = i % 2 ? 1 : -1;
        written.push_back({i, sign * mantissa(random) * std::pow(10.0, exponent(random)),
                           unit(random), mantissa(random) * std::pow(10.0, exponent(random) / 10),
                           unit(random)});
        ASSERT_EQ(writer.Append(written.back()), std::nullopt);
    }
    ASSERT_EQ(writer.Close(), std::nullopt);
    std::vector<Record> read;
    ASSERT_EQ(ReadRecordsFromText(dir.Read("round.dat"), 2000, read), std::nullopt);
    ASSERT_EQ(read.size(), written.size());
    const auto closeTo = [](double value, double original) {
        const double magnitude = std::fabs(original);
        const double halfUnit = 0.5 * std::pow(10.0, std::floor(std::log10(magnitude)) - 14);
        return std::fabs(value - original) <= halfUnit + 2 * DBL_EPSILON * magnitude;
    };
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const Record& original = written[i];
        EXPECT_EQ(read[i].number, original.number);
        EXPECT_PRED2(closeTo, read[i].value1, original.value1);
        EXPECT_EQ(read[i].unit1, original.unit1);
        EXPECT_PRED2(closeTo, read[i].value2, original.value2);
        EXPECT_EQ(read[i].unit2, original.unit2);
    }
}

}  // namespace
}  // namespace rv7342

#include "datafiles/data_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

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

// The text written for each record reads back as the same record: to the 15 digits written,
// and the same text again.
TEST(DataFileWriter, RandomReadingsRoundTripThroughTheFile) {
    TempDir dir;
    std::mt19937 random(7342);
    std::uniform_int_distribution<int> sum(-9999, 99999), exponent(-47, 9), unit(0, 99);
    std::string expected;
    DataFileWriter writer;
    ASSERT_EQ(writer.Open(dir.Path("round.dat")), std::nullopt);
    for (int i = 1; i <= 2000; ++i) {
        const Record record{i, sum(random) / std::pow(10.0, exponent(random)), unit(random),
                            sum(random) / std::pow(10.0, exponent(random)), unit(random) % 10};
        ASSERT_EQ(writer.Append(record), std::nullopt);
        expected += FormatRecord(record);
    }
    ASSERT_EQ(writer.Close(), std::nullopt);
    const std::string text = dir.Read("round.dat");
    EXPECT_EQ(text, expected);
    std::vector<Record> records;
    ASSERT_EQ(ReadRecordsFromText(text, 2000, records), std::nullopt);
    std::string again;
    for (const Record& record : records) {
        again += FormatRecord(record);
    }
    EXPECT_EQ(again, expected);
}

TEST(DataFileWriter, EachRecordIsOnDiskAtOnceAndOpenTruncates) {
    TempDir dir;
    const std::string path = dir.Path("live.dat");
    dir.Write("live.dat", "old contents that must go\r\n");
    DataFileWriter writer;
    ASSERT_EQ(writer.Open(path), std::nullopt);
    EXPECT_EQ(dir.Read("live.dat"), "");
    ASSERT_EQ(writer.Append({1, 12.5, 3, 0, 0}), std::nullopt);
    EXPECT_EQ(dir.Read("live.dat"), "1,12.5,3,0,0\r\n") << "visible before the writer closes";
}

}  // namespace
}  // namespace rv7342

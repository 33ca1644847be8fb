#include "datafiles/data_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "datafiles/files.h"
#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

TEST(FormatRecord, FiveFieldsAndCrLf) {
    EXPECT_EQ(FormatRecord({1, 12.5, 3, 0, 0}), "1,12.5,3,0,0\r\n");
    EXPECT_EQ(FormatRecord({40000, -0.25, 99, 1E-05, 9}), "40000,-0.25,99,1E-05,9\r\n");
}

TEST(ReadRecords, StopsAtTheFirstFaultAndSaysWhere) {
    std::vector<Record> records;
    EXPECT_EQ(ReadRecordsFromText("1,12.5,3,0,0\r\n2, -.25 ,4,1E-05,1\n", 2, records),
              std::nullopt);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].value1, -0.25);
    EXPECT_EQ(records[1].unit2, 1);

    const struct {
        const char* text;
        int count;
        std::size_t read;
        std::vector<const char*> reasonHolds;
    } faults[] = {{"1,1,1,1,1\r\n\r\n", 3, 1, {"after 1 records"}},
                  {"1,1,1,1,1\r\n2,1.2.3,1,1,1\r\n3,1,1,1,1\r\n", 3, 1, {"line 2", "1.2.3"}},
                  {"1,1,1", 1, 0, {"incomplete"}}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.text);
        const Failure failure = ReadRecordsFromText(fault.text, fault.count, records);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(records.size(), fault.read) << "the records before the fault are kept";
        for (const char* part : fault.reasonHolds) {
            EXPECT_NE(failure->find(part), std::string::npos) << *failure;
        }
    }
}

// The window shows the reason as it is: control bytes would cut it short, and a field of
// megabytes would be a message of megabytes.
TEST(ReadRecords, AReasonQuotesItsFieldShortAndPrintable) {
    std::string tenNuls;
    for (int i = 0; i < 10; ++i) {
        tenNuls += "\\x00";
    }
    const struct {
        std::string text;
        std::string reason;
    } faults[] = {{std::string(1000, '\0') + ",1,1,1,1\r\n",
                   "line 1: the number \"" + tenNuls + "...\" is not a number"},
                  {"1,1,1,1,1\r\n2," + std::string(1 << 20, '7') + "x,1,1,1\r\n",
                   "line 2: the value \"" + std::string(40, '7') + "...\" is not a number"},
                  {"1,1,1,1,1\r\n2,1,\"3\xB0\r\n\",1,1\r\n",
                   "line 2: the unit code \"3\\xB0\\x0D\\x0A\" is not a number"}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.reason);
        std::vector<Record> records;
        EXPECT_EQ(ReadRecordsFromText(fault.text, 2, records), fault.reason);
    }
}

TEST(ReadRecords, KeepsValuesAndCodesBeyondTheirRanges) {
    std::vector<Record> records;
    ASSERT_EQ(ReadRecordsFromText("1,1E+39,200,-1E+400,40000\r\n", 1, records), std::nullopt);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].value1, 1E+39);
    EXPECT_EQ(records[0].value2, -HUGE_VAL);
    EXPECT_EQ(records[0].unit1, 200);
    EXPECT_EQ(records[0].unit2, -1) << "a code no table can hold names nothing";
}

TEST(DataFileWriter, RandomReadingsRoundTripThroughTheFile) {
    TempDir dir;
    const std::string path = dir.Path("round.dat");
    std::mt19937 random(7342);
    std::uniform_int_distribution<int> sum(-9999, 99999), exponent(-47, 9), unit(0, 99);
    std::vector<Record> written;
    DataFileWriter writer;
    ASSERT_EQ(writer.Open(path), std::nullopt);
    for (int i = 1; i <= 2000; ++i) {
        const Record record{i, sum(random) / std::pow(10.0, exponent(random)), unit(random),
                            sum(random) / std::pow(10.0, exponent(random)), unit(random) % 10};
        ASSERT_EQ(writer.Append(record), std::nullopt);
        written.push_back(record);
    }
    ASSERT_EQ(writer.Close(), std::nullopt);

    std::string text;
    ASSERT_EQ(ReadWholeFile(path, text), std::nullopt);
    std::vector<Record> records;
    ASSERT_EQ(ReadRecordsFromText(text, 2000, records), std::nullopt);
    ASSERT_EQ(records.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(i);
        const Record& in = written[i];
        const Record& out = records[i];
        EXPECT_EQ(out.number, in.number);
        EXPECT_NEAR(out.value1, in.value1, std::fabs(in.value1) * 1e-14);
        EXPECT_NEAR(out.value2, in.value2, std::fabs(in.value2) * 1e-14);
        EXPECT_EQ(out.unit1, in.unit1);
        EXPECT_EQ(out.unit2, in.unit2);
    }
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

#include "export/csv_export.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/export_sample.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

std::string Csv(const TimeAxis& axis) {
    std::ostringstream out;
    EXPECT_EQ(WriteReadingsCsv(out, "a string", kExportedRecords, ExportedUnitNames(), axis),
              std::nullopt);
    return out.str();
}

// The sample's readings without a time axis.
const std::string kPlainCsv =
    "No.,Value,Unit,Value 2,Unit 2\r\n"
    "1,12.5,\"\xC2\xB0"
    "C, dry\",,\r\n"
    "2,-0.25,\"in\"\"\",,\r\n"
    "4,,unit 57,,\r\n"
    "5,1E-05,\"\xC2\xB0"
    "C, dry\",230.5,\"in\"\"\"\r\n";

TEST(CsvExport, HeaderColumnsOfTheTimeAxisAndEveryReading) {
    EXPECT_EQ(Csv({}), kPlainCsv)
        << "UTF-8, names quoted where they hold a comma, no value that is not measured";
    TimeAxis axis = ExportedTimeAxis();
    const std::string elapsed = "No.,Elapsed (s),Value,Unit,Value 2,Unit 2\r\n1,0,12.5,";
    axis.start.reset();
    EXPECT_EQ(Csv(axis).substr(0, elapsed.size()), elapsed);
    const std::string clock =
        "No.,Elapsed (s),Time,Value,Unit,Value 2,Unit 2\r\n"
        "1,0,2026-12-07 23:59:50,12.5,\"\xC2\xB0"
        "C, dry\",,\r\n"
        "2,10,2026-12-08 00:00:00,-0.25,";
    EXPECT_EQ(Csv(ExportedTimeAxis()).substr(0, clock.size()), clock);
    EXPECT_TRUE(Contains(Csv(ExportedTimeAxis()), "\r\n4,30,2026-12-08 00:00:20,,unit 57"))
        << "a lost reading keeps its time";
}

// A conversion applies to both displays' readings in its unit and is noted before the header;
// one of a unit the readings do not have is not noted.
TEST(CsvExport, ConvertedReadingsInTheirNewUnitWithTheConversionNoted) {
    std::ostringstream out;
    ASSERT_EQ(
        WriteReadingsCsv(out, "a string", kExportedRecords, ExportedUnitNames(), {},
                         {{"V DC", "A", 3, 0}, {"in\"", "mm", 2, -1}, {"unit 57", "x", 2, 0}}),
        std::nullopt);
    EXPECT_EQ(out.str(),
              "# Converted in\" \xE2\x86\x92 mm: \xC3\x97 2 - 1\r\n"
              "# Converted unit 57 \xE2\x86\x92 x: \xC3\x97 2 + 0\r\n"
              "No.,Value,Unit,Value 2,Unit 2\r\n"
              "1,12.5,\"\xC2\xB0"
              "C, dry\",,\r\n"
              "2,-1.5,mm,,\r\n"
              "4,,x,,\r\n"
              "5,1E-05,\"\xC2\xB0"
              "C, dry\",460,mm\r\n")
        << "a value that is not measured stays empty";
}

// A meter with two displays that shows 0 in unit code 0 has measured it.
TEST(CsvExport, ZerosOfTheSecondDisplayAreKeptWhereItMeasured) {
    std::ostringstream out;
    ASSERT_EQ(WriteReadingsCsv(out, "a string", {{1, 1, 0, 0, 0}, {2, 1, 0, 0.5, 0}},
                               ExportedUnitNames(), {}),
              std::nullopt);
    EXPECT_TRUE(Contains(out.str(),
                         "\r\n1,1,\"\xC2\xB0"
                         "C, dry\",0,\"\xC2\xB0"
                         "C, dry\"\r\n"));
}

TEST(CsvExport, ToAFileOrAReasonNamingIt) {
    TempDir dir;
    EXPECT_EQ(WriteReadingsCsv(dir.Path("out.csv"), kExportedRecords, ExportedUnitNames(), {}),
              std::nullopt);
    EXPECT_EQ(dir.Read("out.csv"), kPlainCsv);
    const std::string missing = dir.Path("missing/out.csv");
    EXPECT_TRUE(Contains(
        WriteReadingsCsv(missing, kExportedRecords, ExportedUnitNames(), {}).value_or(""),
        "Cannot create " + missing + ": the folder " + dir.Path("missing") + " does not exist"));
#ifndef _WIN32
    // A full device: under wine, Windows sees /dev/full as a file in a folder, not a device.
    EXPECT_TRUE(Contains(
        WriteReadingsCsv("/dev/full", kExportedRecords, ExportedUnitNames(), {}).value_or(""),
        "Cannot write /dev/full: No space left on device"));
#endif
}

}  // namespace
}  // namespace rv7342

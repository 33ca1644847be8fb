#include "export/xlsx_export.h"

#include <gtest/gtest.h>

#include "tests/export_sample.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"
#include "tests/workbook_reader.h"

namespace rv7342 {
namespace {

TEST(XlsxExport, NumbersAsNumbersUnitNamesAsTextTimesAsDateTimes) {
    TempDir dir;
    const std::string path = dir.Path("readings.xlsx");
    ASSERT_EQ(WriteReadingsXlsx(path, kExportedRecords, ExportedUnitNames(), ExportedTimeAxis()),
              std::nullopt);
    EXPECT_EQ(ReadWorkbook(path),
              "sheet Readings frozen=A2 bold=True\n"
              "s:No.|s:Elapsed (s)|s:Time|s:Value|s:Unit|s:Value 2|s:Unit 2\n"
              "n:1|n:0|d:2026-12-07 23:59:50|n:12.5|s:\xC2\xB0"
              "C, dry|-|-\n"
              "n:2|n:10|d:2026-12-08 00:00:00|n:-0.25|s:in\"|-|-\n"
              "n:4|n:30|d:2026-12-08 00:00:20|-|s:unit 57|-|-\n"
              "n:5|n:40|d:2026-12-08 00:00:30|n:1e-05|s:\xC2\xB0"
              "C, dry|n:230.5|s:in\"\n"
              "sheet Statistics frozen=A2 bold=True\n"
              "s:Series|s:Count|s:Minimum|s:Maximum|s:Mean|s:Std. deviation|s:First reading|"
              "s:Last reading|s:Left out\n"
              "s:\xC2\xB0"
              "C, dry|n:2|n:1e-05|n:12.5|n:6.250005|n:8.83882769376403|n:1|n:5|n:0\n"
              "s:in\"|n:1|n:-0.25|n:-0.25|n:-0.25|-|n:2|n:2|n:0\n"
              "s:unit 57|n:0|-|-|-|-|n:4|n:4|n:1\n"
              "s:in\" (second display)|n:1|n:230.5|n:230.5|n:230.5|-|n:5|n:5|n:0\n");

    TimeAxis numbersOnly;
    ASSERT_EQ(WriteReadingsXlsx(path, kExportedRecords, ExportedUnitNames(), numbersOnly),
              std::nullopt);
    EXPECT_TRUE(
        Contains(ReadWorkbook(path), "s:No.|s:Value|s:Unit|s:Value 2|s:Unit 2\nn:1|n:12.5|"));
}

TEST(XlsxExport, ConvertedReadingsAndStatisticsWithASheetOfTheConversions) {
    TempDir dir;
    const std::string path = dir.Path("readings.xlsx");
    ASSERT_EQ(WriteReadingsXlsx(path, kExportedRecords, ExportedUnitNames(), {},
                                {{"V DC", "A", 3, 0}, {"in\"", "mm", 2, -1}}),
              std::nullopt);
    const std::string sheets = ReadWorkbook(path);
    EXPECT_TRUE(Contains(sheets,
                         "\nn:2|n:-1.5|s:mm|-|-\nn:4|-|s:unit 57|-|-\nn:5|n:1e-05|s:"
                         "\xC2\xB0"
                         "C, dry|n:460|s:mm\n"));
    EXPECT_TRUE(Contains(sheets,
                         "\ns:mm|n:1|n:-1.5|n:-1.5|n:-1.5|-|n:2|n:2|n:0\n"
                         "s:unit 57|n:0|-|-|-|-|n:4|n:4|n:1\n"
                         "s:mm (second display)|n:1|n:460|n:460|n:460|-|n:5|n:5|n:0\n"))
        << sheets;
    EXPECT_EQ(sheets.substr(sheets.rfind("sheet ")),
              "sheet Conversions frozen=A2 bold=True\n"
              "s:Unit|s:New unit|s:Factor|s:Offset\n"
              "s:in\"|s:mm|n:2|n:-1\n")
        << "only the conversion applied";
}

// A date-time no spreadsheet shows (before 1900, past 9999) is an empty cell beside its
// elapsed seconds; control characters in a unit's name, which would make the workbook
// unreadable, are U+FFFD.
TEST(XlsxExport, OnlyDatesSpreadsheetsShowAndNamesThatKeepTheWorkbookReadable) {
    TempDir dir;
    const std::string path = dir.Path("far.xlsx");
    UnitTable names{};
    LoadUnitTableFromText("0,\"A\x01\x1B[31mB\"\r\n1,\"\xEF\xBF\xBE\"\r\n", names);
    const std::string odd = "|n:1|s:A\uFFFD\uFFFD[31mB|-|-\n", even = "|n:2|s:\uFFFD|-|-\n";
    const struct {
        const char* start;
        double interval;
        std::string rows;
    } cases[] = {
        {"9999-12-30T12:00:00", 86400,
         "n:1|n:0|d:9999-12-30 12:00:00" + odd + "n:2|n:86400|d:9999-12-31 12:00:00" + even +
             "n:3|n:172800|-" + odd},
        {"1899-12-31T12:00:00", 43200,
         "n:1|n:0|-" + odd + "n:2|n:43200|d:1900-01-01 00:00:00" + even +
             "n:3|n:86400|d:1900-01-01 12:00:00" + odd},
    };
    for (const auto& [start, interval, rows] : cases) {
        SCOPED_TRACE(start);
        const TimeAxis axis{interval, ParseLocalTime(start), AxisKind::Clock};
        ASSERT_EQ(WriteReadingsXlsx(path, {{1, 1, 0, 0, 0}, {2, 2, 1, 0, 0}, {3, 1, 0, 0, 0}},
                                    names, axis),
                  std::nullopt);
        EXPECT_TRUE(Contains(ReadWorkbook(path), "Unit 2\n" + rows + "sheet Statistics"));
    }
}

}  // namespace
}  // namespace rv7342

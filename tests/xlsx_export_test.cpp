#include "export/xlsx_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "tests/export_sample.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

// The workbook as openpyxl, an independent reader, gives it back (tests/xlsx_read_back.py).
std::string ReadBack(const std::string& path) {
    const std::string command =
        RV7342_PYTHON " " RV7342_SOURCE_DIR "/tests/xlsx_read_back.py '" + path + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) {
        text += buffer;
    }
    const int status = pipe ? pclose(pipe.release()) : -1;
    EXPECT_EQ(status, 0) << "the reader failed:\n" << text;
    return text;
}

TEST(XlsxExport, NumbersAsNumbersUnitNamesAsTextTimesAsDateTimes) {
    TempDir dir;
    const std::string path = dir.Path("readings.xlsx");
    ASSERT_EQ(WriteReadingsXlsx(path, kExportedRecords, ExportedUnitNames(), ExportedTimeAxis()),
              std::nullopt);
    EXPECT_EQ(ReadBack(path),
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
    EXPECT_TRUE(Contains(ReadBack(path), "s:No.|s:Value|s:Unit|s:Value 2|s:Unit 2\nn:1|n:12.5|"));
}

TEST(XlsxExport, AFailureNamesTheFile) {
    TempDir dir;
    const std::string path = dir.Path("missing/readings.xlsx");
    EXPECT_TRUE(
        Contains(WriteReadingsXlsx(path, kExportedRecords, ExportedUnitNames(), {}).value_or(""),
                 "Cannot create " + path + ": No such file or directory"));
    EXPECT_FALSE(ReadFile(path).size());
}

}  // namespace
}  // namespace rv7342

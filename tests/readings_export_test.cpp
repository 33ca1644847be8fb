#include "export/readings_export.h"

#include <gtest/gtest.h>

#include <utility>

namespace rv7342 {
namespace {

// The window takes a file's suffix, the command line --format or the suffix of -o.
TEST(ExportFormatNamed, XlsxOrCsvInAnyCase) {
    const std::pair<const char*, std::optional<ExportFormat>> names[] = {
        {"xlsx", ExportFormat::Xlsx}, {"XLSX", ExportFormat::Xlsx}, {"Csv", ExportFormat::Csv},
        {"ods", std::nullopt},        {"", std::nullopt},           {"csv ", std::nullopt}};
    for (const auto& [name, format] : names) {
        EXPECT_EQ(ExportFormatNamed(name), format) << name;
    }
}

}  // namespace
}  // namespace rv7342

#include "datafiles/unit_table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

std::u32string Chars(const UnitName& name) {
    return std::u32string(name.begin(), name.end());
}

// The whole field decides between UTF-8 and Latin-1, however far beyond the ten characters
// kept a byte spoils the UTF-8.
TEST(UnitTable, TextIsUtf8WhenValidElseLatin1) {
    std::string degrees;
    for (int i = 0; i < 100000; ++i) {
        degrees += "\xC2\xB0";
    }
    const std::pair<std::string, std::u32string> cases[] = {
        {"\xC2\xB0\x43", U"\u00B0C        "},
        {"\xB0\x43", U"\u00B0C        "},
        {"\xE2\x82", U"\u00E2\u0082        "},
        {"\xC2\xB5\x41\xC2\xB0xxxxxxxxx", U"\u00B5A\u00B0xxxxxxx"},
        {degrees, std::u32string(10, U'\u00B0')},
        {degrees + "\xFF", U"\u00C2\u00B0\u00C2\u00B0\u00C2\u00B0\u00C2\u00B0\u00C2\u00B0"}};
    for (const auto& [bytes, name] : cases) {
        SCOPED_TRACE(bytes.substr(0, 20));
        EXPECT_EQ(Chars(DecodeUnitName(bytes)), name);
    }
    // The loader decodes the whole field.
    UnitTable table{};
    LoadUnitTableFromText("0,V\r\n1,\"" + degrees + "\xFF\"", table);
    EXPECT_EQ(Chars(table[1]), U"\u00C2\u00B0\u00C2\u00B0\u00C2\u00B0\u00C2\u00B0\u00C2\u00B0");
    EXPECT_TRUE(IsUnassigned(table[2]));
}

// Names are padded or cut to ten characters. A line that does not hold two fields is told and
// leaves its own entry unnamed; every later line keeps its code. Blank lines inside the table
// are such lines too; those at its end are its end.
TEST(UnitTable, AFaultyLineShiftsNoOtherName) {
    const struct {
        std::string text;
        std::vector<std::u32string> names;  // the first entries; empty: unassigned, as the rest
        std::vector<std::string> faults;
    } cases[] = {
        // A quoted comma belongs to the name; an empty name is ten blanks.
        {"0,V\r\n1,\"Celsius degree\"\r\n2, \"kOhm, 2W\"\r\n3,\r\n",
         {U"V", U"Celsius de", U"kOhm, 2W", U"          "},
         {}},
        {"", {}, {}},
        {"0,V\r\n\r\n\r\n", {U"V"}, {}},
        {"0,V\r\n1", {U"V"}, {"line 2: it holds 1 fields, not 2: \"1\"; its entry stays unnamed"}},
        {"0,V\r\n1,mV,AC\r\n2,A\r\n3,Hz\r\n",
         {U"V", U"", U"A", U"Hz"},
         {"line 2: it holds 3 fields, not 2: \"1,mV,AC\"; its entry stays unnamed"}},
        {"0,V\r\n1\r\n2,A\r\n",
         {U"V", U"", U"A", U""},
         {"line 2: it holds 1 fields, not 2: \"1\"; its entry stays unnamed"}},
        {"0,V\r\n\r\n2,A\r\n",
         {U"V", U"", U"A", U""},
         {"line 2: the line is empty; its entry stays unnamed"}},
        // A quote left open spoils its own line only, whatever the line end.
        {"0,V\r\n1,\"V AC\r\n2,\"mV AC\"\r\n3,A DC\r\n",
         {U"V", U"", U"mV AC", U"A DC"},
         {"line 2: a quote is never closed on the line: \"1,\\\"V AC\"; its entry stays "
          "unnamed"}},
        {"0,\"V\n1,\"mV, AC\r2,A\n3,\"Hz",
         {U"", U"", U"A", U""},
         {"line 1: a quote is never closed on the line: \"0,\\\"V\"; its entry stays unnamed",
          "line 2: a quote is never closed on the line: \"1,\\\"mV, AC\"; its entry stays "
          "unnamed",
          "line 4: a quote is never closed on the line: \"3,\\\"Hz\"; its entry stays "
          "unnamed"}},
        {"\xEF\xBB\xBF"
         "0,V\r\n1,\"mV, AC\"\r\n",
         {U"V", U"mV, AC", U"", U""},
         {}},
    };
    for (const auto& [text, names, faults] : cases) {
        SCOPED_TRACE(text);
        UnitTable table{};
        UnitTableFaults told;
        LoadUnitTableFromText(text, table, &told);
        for (std::size_t code = 0; code < table.size(); ++code) {
            if (code >= names.size() || names[code].empty()) {
                EXPECT_TRUE(IsUnassigned(table[code])) << code;
            } else {
                const std::u32string padded =
                    names[code] + std::u32string(10 - names[code].size(), U' ');
                EXPECT_EQ(Chars(table[code]), padded);
            }
        }
        EXPECT_EQ(told, faults);
    }
}

// Only the 101 entries the table holds are read, from a file too.
TEST(UnitTable, ReadsNoMoreThanItsEntries) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 101; ++i) {
        text += std::to_string(i) + ",N" + std::to_string(i) + "\r\n";
    }
    dir.Write("unit2.dat", text + "101,\"" + std::string(10 << 20, 'x'));
    UnitTable table{};
    UnitTableFaults faults;
    ASSERT_EQ(LoadUnitTable(dir.Path("unit2.dat"), table, &faults), std::nullopt);
    EXPECT_EQ(Chars(table[100]), U"N100      ");
    EXPECT_TRUE(faults.empty()) << "the line past the last entry is never read";
}

TEST(UnitTable, UnreadableFileIsReportedAndTableKept) {
    TempDir dir;
    UnitTable table{};
    table[0] = MakeUnitName(U"kept");
    const Failure failure = LoadUnitTable(dir.Path("unit2.dat"), table);
    EXPECT_TRUE(
        Contains(failure.value_or(""), dir.Path("unit2.dat") + ": No such file or directory"));
    EXPECT_EQ(Chars(table[0]), U"kept      ");
}

}  // namespace
}  // namespace rv7342

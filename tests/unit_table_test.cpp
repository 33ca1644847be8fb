#include "datafiles/unit_table.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <utility>

#include "datafiles/files.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

std::u32string Chars(const UnitName& name) {
    return std::u32string(name.begin(), name.end());
}

std::u32string Entry(const UnitTable& table, int index) {
    return Chars(table[index]);
}

UnitTable Loaded(std::string_view text) {
    UnitTable table{};
    LoadUnitTableFromText(text, table);
    return table;
}

TEST(UnitTable, NamesArePaddedOrCutToTenCharacters) {
    const UnitTable table = Loaded("0,V\r\n1,\"Celsius degree\"\r\n2, \"kOhm, 2W\"\r\n3,\r\n");
    EXPECT_EQ(Entry(table, 0), U"V         ");
    EXPECT_EQ(Entry(table, 1), U"Celsius de");
    EXPECT_EQ(Entry(table, 2), U"kOhm, 2W  ") << "a quoted comma belongs to the name";
    EXPECT_EQ(Entry(table, 3), U"          ") << "an empty name is ten blanks";
    EXPECT_TRUE(IsUnassigned(table[4]));
}

TEST(UnitTable, OddFilesLeaveUnreachedEntriesUnassigned) {
    for (const UnitName& name : Loaded("")) {
        EXPECT_TRUE(IsUnassigned(name));
    }
    const UnitTable noSecondField = Loaded("0,V\r\n1");
    EXPECT_EQ(Entry(noSecondField, 0), U"V         ");
    EXPECT_TRUE(IsUnassigned(noSecondField[1]));

    EXPECT_TRUE(IsUnassigned(Loaded("0,V\r\n\r\n\r\n")[1])) << "empty lines at the end are the end";

    std::string many;
    for (int i = 0; i < 120; ++i) {
        many += std::to_string(i) + ",N" + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(Entry(Loaded(many), 100), U"N100      ");
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
    // The loader decodes the whole field, here one whose quote never closes.
    const UnitTable table = Loaded("0,V\r\n1,\"" + degrees + "\xFF");
    EXPECT_EQ(Entry(table, 1), Chars(DecodeUnitName(degrees + "\xFF")))
        << "a quote that never closes";
    EXPECT_TRUE(IsUnassigned(table[2]));
}

TEST(UnitTable, UnreadableFileIsReportedAndTableKept) {
    TempDir dir;
    UnitTable table{};
    table[0] = MakeUnitName(U"kept");
    const Failure failure = LoadUnitTable(dir.Path("unit2.dat"), table);
    EXPECT_TRUE(
        Contains(failure.value_or(""), dir.Path("unit2.dat") + ": " + SystemReason(ENOENT)));
    EXPECT_EQ(Entry(table, 0), U"kept      ");
}

}  // namespace
}  // namespace rv7342

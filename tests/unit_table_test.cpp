#include "datafiles/unit_table.h"

#include <gtest/gtest.h>

#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

std::u32string Entry(const UnitTable& table, int index) {
    return std::u32string(table[index].begin(), table[index].end());
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
    const UnitTable empty = Loaded("");
    for (const UnitName& name : empty) {
        EXPECT_TRUE(IsUnassigned(name));
    }
    const UnitTable noSecondField = Loaded("0,V\r\n1");
    EXPECT_EQ(Entry(noSecondField, 0), U"V         ");
    EXPECT_TRUE(IsUnassigned(noSecondField[1]));

    const UnitTable trailingLines = Loaded("0,V\r\n\r\n\r\n");
    EXPECT_TRUE(IsUnassigned(trailingLines[1])) << "empty lines at the end are the end";

    std::string many;
    for (int i = 0; i < 120; ++i) {
        many += std::to_string(i) + ",N" + std::to_string(i) + "\r\n";
    }
    const UnitTable first101 = Loaded(many);
    EXPECT_EQ(Entry(first101, 100), U"N100      ");
}

TEST(UnitTable, TextIsUtf8WhenValidElseLatin1) {
    EXPECT_EQ(DecodeText("\xC2\xB0"
                         "C"),
              U"\u00B0C");
    EXPECT_EQ(DecodeText("\xB0"
                         "C"),
              U"\u00B0C");
    EXPECT_EQ(DecodeText("\xE2\x82"), U"\u00E2\u0082") << "a cut sequence is not UTF-8";
    EXPECT_EQ(Entry(Loaded("0,\xC2\xB5"
                           "A\xC2\xB0xxxxxxxxx\r\n"),
                    0),
              U"\u00B5A\u00B0xxxxxxx");
}

TEST(UnitTable, UnreadableFileIsReportedAndTableKept) {
    TempDir dir;
    UnitTable table{};
    table[0] = MakeUnitName(U"kept");
    const Failure missing = LoadUnitTable(dir.Path("unit2.dat"), table);
    ASSERT_TRUE(missing.has_value());
    EXPECT_NE(missing->find(dir.Path("unit2.dat")), std::string::npos) << *missing;
    EXPECT_NE(missing->find("No such file or directory"), std::string::npos) << *missing;
    const Failure folder = LoadUnitTable(dir.Path(), table);
    ASSERT_TRUE(folder.has_value());
    EXPECT_NE(folder->find("Is a directory"), std::string::npos) << *folder;
    EXPECT_EQ(Entry(table, 0), U"kept      ");
}

}  // namespace
}  // namespace rv7342

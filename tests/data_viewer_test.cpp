#include "ui/main/data_viewer.h"
#include "desktop/value_text.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <cmath>

#include "tests/shown_text.h"

namespace rv7342 {
namespace {

class GridModelTest : public testing::Test {
  protected:
    GridModelTest() {
        names[0] = UnitNameOf(U"V DC      ");
        names[3] = UnitNameOf(U"Celsius de");
    }

    QString Cell(int row, int column) const { return rv7342::Cell(model, row, column); }
    QString Header(int column) const { return rv7342::Header(model, column); }

    UnitTable names{};
    GridModel model{names};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(GridModelTest, RecordsNumberedByPositionWithSingleValuesAndUnitNames) {
    model.ShowRecords(
        {{7, 0.1, 0, 12.3, 3}, {9, 1.2345678, 3, -0.25, 100}, {9, 12345678, -1, 0, 5}});
    ASSERT_EQ(model.rowCount(), 3);
    const char* headers[] = {"No.", "Value", "Unit", "Value", "Unit"};
    const char* rows[3][5] = {{"1", "0.1", "V DC      ", "12.3", "Celsius de"},
                              {"2", "1.234568", "Celsius de", "-0.25", ""},
                              {"3", "1.234568E+07", "", "0", ""}};
    for (int column = 0; column < 5; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(Header(column), headers[column]);
        for (int row = 0; row < 3; ++row) {
            SCOPED_TRACE(row);
            EXPECT_EQ(Cell(row, column), Decimals(rows[row][column]));
            EXPECT_EQ(model.index(row, column).data(Qt::TextAlignmentRole).toInt(),
                      int(Qt::AlignCenter));
        }
    }
    model.ShowRecords({});
    EXPECT_EQ(model.rowCount(), 0) << "no readings: the header alone";
    EXPECT_EQ(Header(0), "No.");
}

TEST(ValueText, TheUsersSeparatorAndValuesBeyondTheFloatRange) {
    QLocale german(QLocale::German, QLocale::Germany);
    german.setNumberOptions(QLocale::OmitGroupSeparator);
    EXPECT_EQ(ValueText(0.5, german), "0,5");
    EXPECT_EQ(ValueText(12345.5, german), "12345,5");
    EXPECT_EQ(ValueText(1E+39, german), "1E+39") << "shown as the file holds it";
    EXPECT_EQ(ValueText(-HUGE_VAL, german), "-inf");
}

}  // namespace
}  // namespace rv7342

#include "datafiles/text_fields.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/test_conditions.h"

namespace rv7342 {
namespace {

TEST(FormatDouble, InvariantShortestForms) {
    const std::pair<double, const char*> cases[] = {
        {12.34, "12.34"},     {-0.25, "-0.25"},   {1E-05, "1E-05"},
        {1.5E+20, "1.5E+20"}, {0.0, "0"},         {-0.0, "0"},
        {100, "100"},         {0.1 + 0.2, "0.3"}, {-1234.5678901234567, "-1234.56789012346"},
        {1E+15, "1E+15"},     {0.0001, "0.0001"}, {1234 / 1e-35, "1.234E+38"}};
    for (auto [value, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FormatDouble(value), text);
    }
}

// What a script reads back as the same number: whole numbers in full, the rest shortest.
TEST(ShortestNumberText, WholeNumbersInFullOthersShortest) {
    const std::pair<double, const char*> cases[] = {{1000000, "1000000"},
                                                    {-0.0, "0"},
                                                    {0.0, "0"},
                                                    {-32768, "-32768"},
                                                    {9007199254740992.0, "9007199254740992"},
                                                    {18014398509481984.0, "18014398509481984"},
                                                    {18014398509481988.0, "18014398509481988"},
                                                    {1e17, "1e+17"},
                                                    {1e300, "1e+300"},
                                                    {0.1, "0.1"},
                                                    {0.1 + 0.2, "0.30000000000000004"},
                                                    {-1234.5678901234567, "-1234.5678901234567"},
                                                    {1.5e-7, "1.5e-07"},
                                                    {2.5, "2.5"}};
    for (auto [value, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ShortestNumberText(value), text);
    }
}

// Control characters, non-characters and bytes that are no UTF-8 become U+FFFD, one for each;
// every other character stays, whatever its length in UTF-8.
TEST(PrintableText, ReplacesWhatBreaksAnOutput) {
    const std::pair<std::string, std::string> cases[] = {
        {"V DC", "V DC"},
        {"A\nB", "A\uFFFDB"},
        {"\t\r\x1B[31m", "\uFFFD\uFFFD\uFFFD[31m"},
        {std::string("a\0b", 3), "a\uFFFDb"},
        {"\x7F\xC2\x85\xC2\xA0", "\uFFFD\uFFFD\u00A0"},
        {"\xEF\xB7\x90\xEF\xBF\xBE\xF0\x9F\xBF\xBF", "\uFFFD\uFFFD\uFFFD"},
        {"\xB0"
         "C\xE2\x82",
         "\uFFFD"
         "C\uFFFD\uFFFD"},
        {"\xC2\xB0"
         "C \xC2\xB7 \xE5\xBC\xA0 \xF0\x9F\x8C\xA1",
         "\u00B0"
         "C \u00B7 \u5F20 \U0001F321"},
        {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& [text, printable] : cases) {
        SCOPED_TRACE(QuotedForMessage(text));
        EXPECT_EQ(PrintableText(text), printable);
    }
}

// Every invariant decimal form, and nothing that is not wholly one.
TEST(ParseNumber, AcceptsInvariantFormsOnly) {
    const std::pair<const char*, double> cases[] = {
        {"0.5", 0.5},          {".5", 0.5}, {"-.25", -0.25}, {"1E-05", 1E-05}, {"1.5E+20", 1.5E+20},
        {"1e-5", 1E-05},       {"+3", 3},   {"12", 12},      {"1E-400", 0},    {"1E+400", HUGE_VAL},
        {"-1E+400", -HUGE_VAL}};
    for (auto [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseNumber(text), value);
    }
    for (const char* text :
         {"", "abc", "1,5", "12x", "+-1", "--1", "+", "inf", "nan", "0x10", "1 2", "E5"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseNumber(text).has_value());
    }
}

// Fields across line ends, quoted and blank. A quote left open ends with its line, whatever
// line end it is, and is told; the next line's fields are its own.
TEST(FieldReader, FieldsAcrossLinesAndQuotesNeverPastTheirLine) {
    const struct {
        const char* text;
        std::vector<std::string> fields;
        int lastLine;  // the line of the last field
        bool quoteLeftOpen;
    } cases[] = {
        {"  1, \"a,b\" ,x\r\n\"two\"\r3,", {"1", "a,b", "x", "two", "3", ""}, 3, false},
        {"1,\"V AC\r\n2,\"mV AC\"", {"1", "V AC", "2", "mV AC"}, 2, true},
        {"1,\"V AC\n2,x", {"1", "V AC", "2", "x"}, 2, true},
        {"1,\"V, AC\r2,x", {"1", "V, AC", "2", "x"}, 2, true},
        {"1,\"V AC", {"1", "V AC"}, 1, true},
    };
    for (const auto& [text, expected, lastLine, quoteLeftOpen] : cases) {
        SCOPED_TRACE(text);
        FieldReader reader(text);
        std::vector<std::string> read;
        while (!reader.AtEnd()) {
            read.emplace_back(*reader.ReadText());
        }
        EXPECT_EQ(read, expected);
        EXPECT_EQ(reader.FieldLine(), lastLine);
        EXPECT_FALSE(reader.ReadText().has_value()) << "nothing past the end";
        EXPECT_EQ(reader.QuoteLeftOpen(), quoteLeftOpen);
    }
}

// A quoted field is a part of the text however long it is, even one whose quote never closes.
TEST(FieldReader, FieldsArePartsOfTheText) {
    const std::string text = "0,\"one line" + std::string(1 << 20, 'x');
    FieldReader fields(text);
    ASSERT_EQ(fields.ReadText(), "0");
    const std::optional<std::string_view> name = fields.ReadText();
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->data(), text.data() + 3);
    EXPECT_EQ(name->size(), text.size() - 3);
    EXPECT_EQ(fields.FieldLine(), 1);
    EXPECT_TRUE(fields.AtEnd());
}

// Every line end ends a line, inside quotes too, and the lines are numbered as an editor
// numbers them.
TEST(LineReader, EveryLineEndEndsALine) {
    LineReader lines("0,\"V\r\n1,\"mV AC\r2,\"A\"\n3,Hz");
    const char* expected[] = {"0,\"V", "1,\"mV AC", "2,\"A\"", "3,Hz"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i]);
        EXPECT_EQ(lines.Next(), expected[i]);
        EXPECT_EQ(lines.LineNumber(), i + 1);
    }
    EXPECT_FALSE(lines.Next().has_value());
    EXPECT_EQ(lines.Stopped(), LineReader::Stop::End);
}

TEST(QuotedForMessage, PrintableShortAndWhole) {
    const std::string x40(40, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"oops", "\"oops\""},
        {"", "\"\""},
        {std::string("\0\x01\t\r\n \x7F", 7), "\"\\x00\\x01\\x09\\x0D\\x0A \\x7F\""},
        {"2\xB0\xC3\xA9", "\"2\\xB0\\xC3\\xA9\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {x40, '"' + x40 + '"'},
        {x40 + 'y', '"' + x40 + "...\""},
        {std::string(39, 'x') + '\0', '"' + std::string(39, 'x') + "...\""},
        {std::string(1 << 20, '\0'), "\"\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00...\""}};
    for (const auto& [field, shown] : cases) {
        SCOPED_TRACE(shown);
        EXPECT_EQ(QuotedForMessage(field), shown);
    }
}

#ifdef _WIN32
const char* const kCommaLocale = "German_Germany.1252";
#else
const char* const kCommaLocale = "de_DE.UTF-8";  // built by the test setup
#endif

// Runs its test under the comma-decimal locale, and gives the process its locale back however
// the test ends.
class InvariantNumbers : public testing::Test {
  protected:
    void SetUp() override {
        if (!std::setlocale(LC_ALL, kCommaLocale)) {
#ifdef _WIN32
            FAIL() << "no locale " << kCommaLocale;
#else
            RV7342_SKIP_OUTSIDE_CI(std::string("no locale ") + kCommaLocale +
                                   " here: localedef could not build it");
#endif
        }
    }
    void TearDown() override {
        std::setlocale(LC_ALL, saved_.c_str());
    }

  private:
    const std::string saved_ = std::setlocale(LC_ALL, nullptr);
};

// Under a comma-decimal locale the C library would write 12,34; the file must not change.
TEST_F(InvariantNumbers, UnaffectedByACommaDecimalLocale) {
    ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));
    EXPECT_EQ(FormatDouble(12.34), "12.34");
    EXPECT_EQ(FormatDouble(1.5E+20), "1.5E+20");
    EXPECT_EQ(ParseNumber("12.34"), 12.34);
    EXPECT_FALSE(ParseNumber("12,34").has_value());
    EXPECT_EQ(ParseNumber("1E+400"), HUGE_VAL);
}

}  // namespace
}  // namespace rv7342

#include "datafiles/text_fields.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

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

TEST(FieldReader, FieldsAcrossLinesQuotesAndBlanks) {
    FieldReader fields("  1, \"a,b\" ,x\r\n\"two\nlines\"\r3,");
    const char* expected[] = {"1", "a,b", "x", "two\nlines", "3", ""};
    for (const char* text : expected) {
        SCOPED_TRACE(text);
        ASSERT_FALSE(fields.AtEnd());
        EXPECT_EQ(fields.ReadText(), text);
    }
    EXPECT_EQ(fields.FieldLine(), 4);
    EXPECT_TRUE(fields.AtEnd());
    EXPECT_FALSE(fields.ReadText().has_value());
}

// A quoted field is a part of the text however long it is, even one whose quote never closes.
TEST(FieldReader, FieldsArePartsOfTheText) {
    const std::string text = "0,\"two\nlines" + std::string(1 << 20, 'x');
    FieldReader fields(text);
    ASSERT_EQ(fields.ReadText(), "0");
    const std::optional<std::string_view> name = fields.ReadText();
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->data(), text.data() + 3);
    EXPECT_EQ(name->size(), text.size() - 3);
    EXPECT_EQ(fields.FieldLine(), 1);
    EXPECT_TRUE(fields.AtEnd());
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

// Under a comma-decimal locale the C library would write 12,34; the file must not change.
TEST(InvariantNumbers, UnaffectedByACommaDecimalLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, kCommaLocale)) {
#ifndef _WIN32  // Windows has its locales; on Linux the test setup builds this one with localedef
        const char* ci = std::getenv("CI");
        if (!ci || std::string(ci) != "true") {
            GTEST_SKIP() << "no locale " << kCommaLocale << " here: localedef could not build it";
        }
#endif
        FAIL() << "no locale " << kCommaLocale;
    }
    ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));
    EXPECT_EQ(FormatDouble(12.34), "12.34");
    EXPECT_EQ(FormatDouble(1.5E+20), "1.5E+20");
    EXPECT_EQ(ParseNumber("12.34"), 12.34);
    EXPECT_FALSE(ParseNumber("12,34").has_value());
    EXPECT_EQ(ParseNumber("1E+400"), HUGE_VAL);
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace rv7342

#pragma once
// The comma-separated field syntax shared by the data file and the unit-name table:
// invariant number text (independent of the C library's locale) and a field reader.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rv7342 {

// A double rounded to 15 significant digits, trailing zeros dropped, exponent form with an
// upper-case E for very large and very small magnitudes: 12.34, -0.25, 1E-05, 1.5E+20.
std::string FormatDouble(double value);
std::string FormatInteger(long long value);

// Reads a number in invariant form: 0.5, .5, -.25, +3, 1E-05, 1e-5. Magnitudes beyond the
// double range give an infinity of the right sign, those below it a zero. Anything else that
// is not wholly a number gives no value.
std::optional<double> ParseNumber(std::string_view text);

// A field as a message quotes it: in double quotes, each control byte, byte beyond ASCII,
// backslash and double quote escaped (\x00, \xB0, \\, \"), and a field longer than a few
// dozen characters cut with "...", so that any field gives a short and printable message.
std::string QuotedForMessage(std::string_view field);

// Takes fields one after the other across a whole text. A field ends at a comma or at the end
// of a line; blanks before an unquoted field are skipped; a quoted field runs to its closing
// quote and may hold commas.
class FieldReader {
  public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    // True when nothing but blanks and line ends is left.
    bool AtEnd() const;
    // The next field without its quotes, as a part of the text (a quoted field is never
    // unescaped); no value when the text has run out.
    std::optional<std::string_view> ReadText();
    // The line (counted from 1) on which the field read last began.
    int FieldLine() const { return fieldLine_; }

  private:
    bool IsLineEnd(std::size_t at) const;
    void SkipBlanks();
    void SkipDelimiter();
    std::string_view ReadQuoted();
    std::string_view ReadUnquoted();

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int fieldLine_ = 0;
    bool afterComma_ = false;
};

}  // namespace rv7342

#pragma once
// The comma-separated field syntax shared by the data file and the unit-name table:
// invariant number text (independent of the C library's locale) and a field reader.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace rv7342 {

// A double rounded to 15 significant digits, trailing zeros dropped, exponent form with an
// upper-case E for very large and very small magnitudes: 12.34, -0.25, 1E-05, 1.5E+20.
std::string FormatDouble(double value);
std::string FormatInteger(long long value);
// A double as a script reads it back exactly: a whole number in full as far as a double holds
// every whole number (1000000, not 1e+06), -0 as 0, any other number in the shortest text
// that reads back as the same double (0.1, 1.5e+20), with a period.
std::string ShortestNumberText(double value);

// Reads a number in invariant form: 0.5, .5, -.25, +3, 1E-05, 1e-5. Magnitudes beyond the
// double range give an infinity of the right sign, those below it a zero. Anything else that
// is not wholly a number gives no value.
std::optional<double> ParseNumber(std::string_view text);

// A field as a message quotes it: in double quotes, each control byte, byte beyond ASCII,
// backslash and double quote escaped (\x00, \xB0, \\, \"), and a field longer than a few
// dozen characters cut with "...", so that any field gives a short and printable message.
std::string QuotedForMessage(std::string_view field);

// The length of the well-formed UTF-8 sequence of two to four bytes starting at `at`, with its
// character in `decoded`; 0 when there is none (an ASCII byte starts none either).
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at, char32_t& decoded);
void AppendUtf8(char32_t character, std::string& text);

// A text that no output can break on, for every text that comes from a file or an option and
// is shown or written (a unit name, a new unit, a file name): control characters (tabs and line
// ends among them), Unicode non-characters and bytes that are no UTF-8 become U+FFFD, the
// replacement character; everything else stays as it is.
std::string PrintableText(std::string_view utf8);

// Takes fields one after the other across a whole text. A field ends at a comma or at the end
// of a line; blanks before an unquoted field are skipped; a quoted field runs to its closing
// quote and may hold commas, but never runs past the end of its line.
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
    // Whether a quoted field read so far found no closing quote before the end of its line.
    bool QuoteLeftOpen() const { return quoteLeftOpen_; }

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
    bool quoteLeftOpen_ = false;
};

// Cuts a text into its lines as it is read, so that a file of any size takes no more memory
// than its longest line. A line ends at every CR LF, LF or CR, inside a quoted field too: a
// quote left open spoils only its own line. A UTF-8 byte-order mark at the start is skipped.
class LineReader {
  public:
    // No line of a data file or a unit table comes near this; a longer one ends the reading.
    static constexpr std::size_t kLongestLine = 4 << 20;
    enum class Stop { None, End, TooLong, ReadFailed };

    // The lines of a whole text in memory.
    explicit LineReader(std::string_view text);
    // The lines of an open file, read in pieces; the file stays the caller's.
    explicit LineReader(std::FILE* file);

    // The next line without its line end. No value once the text has run out, a line is
    // longer than kLongestLine or the file cannot be read: Stopped() tells which.
    std::optional<std::string_view> Next();
    // The line returned last, or the one at which the reading stopped, counted from 1.
    int LineNumber() const { return lineNumber_; }
    // Whether the line returned last was ended by a line end, not by the end of the text.
    bool LineEnded() const { return lineEnded_; }
    Stop Stopped() const { return stop_; }
    // The errno of a read failure.
    int ReadError() const { return readError_; }
    // The start of the line that was too long, to quote in a message.
    std::string_view LongLineStart() const;

  private:
    // Reads more of the file behind what is held; false when nothing more comes.
    bool Fill();
    void SkipByteOrderMark();
    std::string_view TakeLine(std::size_t end, std::size_t next, bool ended);

    std::FILE* file_ = nullptr;
    std::string held_;         // the file's bytes not yet returned (a file only)
    std::string_view text_;    // the text the lines are cut from: a whole text, or held_
    std::size_t start_ = 0;    // where the next line begins in text_
    std::size_t scanned_ = 0;  // how far the next line has been scanned
    int nextLine_ = 1;
    int lineNumber_ = 0;
    bool lineEnded_ = false;
    bool bomChecked_ = false;
    Stop stop_ = Stop::None;
    int readError_ = 0;
};

}  // namespace rv7342

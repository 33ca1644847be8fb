#include "datafiles/text_fields.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace rv7342 {

std::string FormatDouble(double value) {
    if (value == 0) {
        return "0";  // also for -0, which a negated zero reading would otherwise give
    }
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    if (auto e = text.find('e'); e != std::string::npos) {
        text[e] = 'E';
    }
    return text;
}

std::string FormatInteger(long long value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string ShortestNumberText(double value) {
    constexpr double kWholeNumbers = 9007199254740992.0;  // 2^53: every whole number up to it
    if (std::fabs(value) <= kWholeNumbers && value == std::trunc(value)) {
        return FormatInteger(static_cast<long long>(value));  // -0 too gives 0
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

namespace {

// The decimal order of magnitude of a plain decimal number: the power of ten of its first
// digit other than 0 (2 for 123.4, -3 for 0.001), saturated far beyond the double range
// however many digits the text has.
long long OrderOfMagnitude(std::string_view text) {
    constexpr long long kFar = 1'000'000'000;
    const std::size_t e = std::min(text.find_first_of("eE"), text.size());
    const std::string_view mantissa = text.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return -kFar;  // a zero
    }
    long long order = first < point ? static_cast<long long>(point - first) - 1
                                    : -static_cast<long long>(first - point);
    long long exponent = 0;
    std::size_t at = e + 1;
    const bool negative = at < text.size() && text[at] == '-';
    at += at < text.size() && (text[at] == '-' || text[at] == '+') ? 1 : 0;
    for (; at < text.size() && exponent < kFar; ++at) {
        exponent = exponent * 10 + (text[at] - '0');
    }
    order += negative ? -exponent : exponent;
    return std::clamp(order, -kFar, kFar);
}

// A plain decimal number beyond the double range: an infinity of its sign when it is too
// large, a zero of its sign when it is too small.
double OutOfRange(std::string_view text) {
    const double sign = text.front() == '-' ? -1.0 : 1.0;
    return OrderOfMagnitude(text) > 0 ? sign * HUGE_VAL : sign * 0.0;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) {
        text.remove_prefix(1);
    }
    // Only decimal numbers: one sign at most, no "inf", "nan" or hexadecimal.
    const std::size_t first = !plus && !text.empty() && text.front() == '-' ? 1 : 0;
    if (text.size() <= first ||
        !(std::isdigit(static_cast<unsigned char>(text[first])) || text[first] == '.')) {
        return std::nullopt;
    }
    double value = 0;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (result.ptr != end) {
        return std::nullopt;
    }
    if (result.ec == std::errc::result_out_of_range) {
        return OutOfRange(text);
    }
    if (result.ec != std::errc()) {
        return std::nullopt;
    }
    return value;
}

namespace {

constexpr std::size_t kQuotedFieldLength = 40;  // characters shown between the quotes

std::string ShownByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
        return {'\\', c};
    }
    if (byte >= 0x20 && byte < 0x7F) {
        return {c};
    }
    const char hex[] = "0123456789ABCDEF";
    return {'\\', 'x', hex[byte >> 4], hex[byte & 0xF]};
}

}  // namespace

std::string QuotedForMessage(std::string_view field) {
    std::string shown;
    for (char c : field) {
        const std::string piece = ShownByte(c);
        if (shown.size() + piece.size() > kQuotedFieldLength) {
            return '"' + shown + "...\"";
        }
        shown += piece;
    }
    return '"' + shown + '"';
}

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEndChar(char c) {
    return c == '\r' || c == '\n';
}
}  // namespace

bool FieldReader::IsLineEnd(std::size_t at) const {
    return at < text_.size() && IsLineEndChar(text_[at]);
}

bool FieldReader::AtEnd() const {
    if (afterComma_) {
        return false;  // a comma is always followed by a field, if only an empty one
    }
    for (std::size_t i = pos_; i < text_.size(); ++i) {
        if (!IsBlank(text_[i]) && !IsLineEndChar(text_[i])) {
            return false;
        }
    }
    return true;
}

void FieldReader::SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) {
        ++pos_;
    }
}

// Consumes the comma or the line end (CR LF, LF or CR) that closes a field.
void FieldReader::SkipDelimiter() {
    afterComma_ = pos_ < text_.size() && text_[pos_] == ',';
    if (pos_ >= text_.size()) {
        return;
    }
    if (afterComma_) {
        ++pos_;
        return;
    }
    if (text_[pos_] == '\r') {
        ++pos_;
    }
    if (pos_ < text_.size() && text_[pos_] == '\n') {
        ++pos_;
    }
    ++line_;
}

std::string_view FieldReader::ReadQuoted() {
    ++pos_;  // opening quote
    std::size_t close = pos_;
    while (close < text_.size() && text_[close] != '"' && !IsLineEnd(close)) {
        ++close;
    }
    const std::string_view field = text_.substr(pos_, close - pos_);
    const bool closed = close < text_.size() && text_[close] == '"';
    quoteLeftOpen_ = quoteLeftOpen_ || !closed;
    pos_ = closed ? close + 1 : close;
    // Anything between the closing quote and the delimiter is dropped.
    while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(pos_)) {
        ++pos_;
    }
    return field;
}

std::string_view FieldReader::ReadUnquoted() {
    std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(pos_)) {
        ++pos_;
    }
    std::size_t end = pos_;
    while (end > start && IsBlank(text_[end - 1])) {
        --end;
    }
    return text_.substr(start, end - start);
}

std::optional<std::string_view> FieldReader::ReadText() {
    if (pos_ >= text_.size() && !afterComma_) {
        return std::nullopt;
    }
    SkipBlanks();
    fieldLine_ = line_;
    const std::string_view field =
        pos_ < text_.size() && text_[pos_] == '"' ? ReadQuoted() : ReadUnquoted();
    SkipDelimiter();
    return field;
}

}  // namespace rv7342

namespace rv7342 {

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kReadPiece = 1 << 16;
}  // namespace

LineReader::LineReader(std::string_view text) : text_(text) {}

LineReader::LineReader(std::FILE* file) : file_(file) {}

bool LineReader::Fill() {
    if (!file_) {
        return false;
    }
    held_.erase(0, start_);
    text_ = held_;
    scanned_ -= start_;
    start_ = 0;
    char piece[kReadPiece];
    errno = 0;
    const std::size_t got = std::fread(piece, 1, sizeof piece, file_);
    if (got == 0) {
        if (std::ferror(file_)) {
            stop_ = Stop::ReadFailed;
            readError_ = errno;
        }
        file_ = nullptr;  // nothing more comes
        return false;
    }
    held_.append(piece, got);
    text_ = held_;
    return true;
}

void LineReader::SkipByteOrderMark() {
    bomChecked_ = true;
    while (text_.size() - start_ < kByteOrderMark.size() && Fill()) {
    }
    if (text_.substr(start_, kByteOrderMark.size()) == kByteOrderMark) {
        start_ += kByteOrderMark.size();
    }
    scanned_ = start_;
}

std::optional<std::string_view> LineReader::Next() {
    if (!bomChecked_) {
        SkipByteOrderMark();
    }
    while (stop_ == Stop::None) {
        for (; scanned_ < text_.size(); ++scanned_) {
            const char c = text_[scanned_];
            if (!IsLineEndChar(c)) {
                continue;
            }
            // A CR that ends what is held may be the first half of a CR LF.
            if (c == '\r' && scanned_ + 1 == text_.size() && Fill()) {
                break;
            }
            const std::size_t end = scanned_;
            const bool crLf = c == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n';
            return TakeLine(end, end + (crLf ? 2 : 1), true);
        }
        if (scanned_ < text_.size()) {
            continue;  // more arrived behind a CR
        }
        if (scanned_ - start_ > kLongestLine) {
            stop_ = Stop::TooLong;
        } else if (!Fill() && stop_ == Stop::None) {
            if (start_ < text_.size()) {
                return TakeLine(text_.size(), text_.size(), false);
            }
            stop_ = Stop::End;
        }
    }
    lineNumber_ = nextLine_;
    return std::nullopt;
}

std::string_view LineReader::TakeLine(std::size_t end, std::size_t next, bool ended) {
    const std::string_view line = text_.substr(start_, end - start_);
    lineNumber_ = nextLine_++;
    start_ = scanned_ = next;
    lineEnded_ = ended;
    return line;
}

std::string_view LineReader::LongLineStart() const {
    return text_.substr(start_, 64);
}

}  // namespace rv7342

namespace rv7342 {

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at, char32_t& decoded) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (lead >= 0xF5 || length == 0 || at + length > bytes.size()) {
        return 0;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    decoded = code;
    return length;
}

void AppendUtf8(char32_t character, std::string& text) {
    const auto c = static_cast<std::uint32_t>(character);
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

// Control characters (tabs and line ends among them) and non-characters break what a text goes
// into: a table, JSON, XML.
bool Breaks(char32_t character) {
    const bool control = character < 0x20 || (character >= 0x7F && character < 0xA0);
    const bool nonCharacter =
        (character >= 0xFDD0 && character <= 0xFDEF) || (character & 0xFFFE) == 0xFFFE;
    return control || nonCharacter;
}

}  // namespace

std::string PrintableText(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t character = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 1;
        if (character >= 0x80) {
            length = Utf8SequenceLength(utf8, i, character);
            character = length == 0 ? U'\uFFFD' : character;  // a byte that is no UTF-8
            length = std::max<std::size_t>(length, 1);
        }
        AppendUtf8(Breaks(character) ? U'\uFFFD' : character, text);
        i += length;
    }
    return text;
}

}  // namespace rv7342

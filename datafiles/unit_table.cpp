#include "datafiles/unit_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

#include "datafiles/files.h"
#include "datafiles/text_fields.h"

namespace rv7342 {

UnitName MakeUnitName(std::u32string_view name) {
    UnitName entry;
    entry.fill(U' ');
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), entry.size()), entry.begin());
    return entry;
}

bool IsUnassigned(const UnitName& name) {
    return std::all_of(name.begin(), name.end(), [](char32_t c) { return c == 0; });
}

namespace {

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t ignored = 0;
        const std::size_t length =
            static_cast<unsigned char>(bytes[i]) < 0x80 ? 1 : Utf8SequenceLength(bytes, i, ignored);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

UnitName DecodeUnitName(std::string_view bytes) {
    const bool utf8 = IsValidUtf8(bytes);
    std::array<char32_t, kUnitNameLength> kept{};
    std::size_t length = 0;
    for (std::size_t i = 0; i < bytes.size() && length < kept.size(); ++length) {
        char32_t code = static_cast<unsigned char>(bytes[i]);
        i += utf8 && code >= 0x80 ? Utf8SequenceLength(bytes, i, code) : 1;
        kept[length] = code;
    }
    return MakeUnitName({kept.data(), length});
}

namespace {

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Fills the table from its lines: line n is the entry of code n - 1. A line that does not
// hold exactly two fields, or leaves a quote open, leaves its entry unassigned and is told in
// `faults`; blank lines
// count as entries only when a line follows that is not blank.
void LoadUnitLines(LineReader& lines, UnitTable& table, UnitTableFaults* faults) {
    std::size_t index = 0;
    int firstBlank = 0, blanks = 0;  // the blank lines since the last entry, one after the other
    const auto fault = [faults](int line, const std::string& what) {
        if (faults) {
            faults->push_back("line " + std::to_string(line) + ": " + what);
        }
    };
    while (index < table.size()) {
        const std::optional<std::string_view> line = lines.Next();
        if (!line) {
            break;
        }
        if (IsBlankLine(*line)) {
            firstBlank = blanks++ == 0 ? lines.LineNumber() : firstBlank;
            if (index + static_cast<std::size_t>(blanks) >= table.size()) {
                break;  // whatever follows lies past the last entry
            }
            continue;
        }
        for (int blank = 0; blank < blanks && index < table.size(); ++blank, ++index) {
            fault(firstBlank + blank, "the line is empty; its entry stays unnamed");
        }
        blanks = 0;
        if (index == table.size()) {
            break;
        }
        FieldReader reader(*line);
        std::string_view name;
        int count = 0;
        for (; !reader.AtEnd(); ++count) {
            name = *reader.ReadText();
        }
        if (reader.QuoteLeftOpen()) {
            fault(lines.LineNumber(), "a quote is never closed on the line: " +
                                          QuotedForMessage(*line) + "; its entry stays unnamed");
        } else if (count == 2) {
            table[index] = DecodeUnitName(name);
        } else {
            fault(lines.LineNumber(), "it holds " + std::to_string(count) + " fields, not 2: " +
                                          QuotedForMessage(*line) + "; its entry stays unnamed");
        }
        ++index;
    }
    if (lines.Stopped() == LineReader::Stop::TooLong && index < table.size()) {
        fault(lines.LineNumber(),
              "the line runs on for more than 4 MB; the table is read up to it");
    }
}

}  // namespace

void LoadUnitTableFromText(std::string_view text, UnitTable& table, UnitTableFaults* faults) {
    LineReader lines(text);
    LoadUnitLines(lines, table, faults);
}

Failure LoadUnitTable(const std::string& path, UnitTable& table, UnitTableFaults* faults) {
    errno = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(path, "rb"), &std::fclose);
    if (!file) {
        return "Cannot open " + path + ": " + OpenFailureReason(path, errno);
    }
    UnitTable read = table;
    LineReader lines(file.get());
    LoadUnitLines(lines, read, faults);
    if (lines.Stopped() == LineReader::Stop::ReadFailed) {
        return "Cannot read " + path + ": " + SystemReason(lines.ReadError());
    }
    table = read;
    return std::nullopt;
}

}  // namespace rv7342

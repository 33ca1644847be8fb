#include "datafiles/unit_table.h"

#include <algorithm>

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

// Length of the well-formed UTF-8 sequence starting at `at`, or 0 when there is none.
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

void LoadUnitTableFromText(std::string_view text, UnitTable& table) {
    FieldReader fields(text);
    for (UnitName& entry : table) {
        if (fields.AtEnd()) {
            return;
        }
        fields.ReadText();  // the first field names nothing the table needs
        if (fields.AtEnd()) {
            return;
        }
        entry = DecodeUnitName(*fields.ReadText());
    }
}

Failure LoadUnitTable(const std::string& path, UnitTable& table) {
    std::string text;
    if (Failure failure = ReadWholeFile(path, text)) {
        return failure;
    }
    LoadUnitTableFromText(text, table);
    return std::nullopt;
}

}  // namespace rv7342

// Arbitrary bytes as the unit-name table file, and as a name to decode.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "datafiles/unit_table.h"
#include "tools/fuzz/fuzz_check.h"

namespace rv7342 {
namespace {

// A code point that decoding never gives, marking entries that loading did not touch.
constexpr char32_t kUntouched = 0x110000;

bool IsScalarValue(char32_t c) {
    return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string bytes;
    for (char32_t c : text) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
            continue;
        }
        const int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        const unsigned leads[] = {0, 0xC0, 0xE0, 0xF0};
        bytes += static_cast<char>(leads[continuations] | (c >> (6 * continuations)));
        for (int i = continuations - 1; i >= 0; --i) {
            bytes += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
        }
    }
    return bytes;
}

// The first ten bytes, each as its Latin-1 character, padded with blanks.
bool IsLatin1Reading(std::string_view bytes, const UnitName& name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : U' ')) {
            return false;
        }
    }
    return true;
}

// The first ten characters the bytes encode as UTF-8, or all of them padded with blanks.
bool IsUtf8Reading(std::string_view bytes, const UnitName& name) {
    const std::string encoded = EncodeUtf8({name.data(), name.size()});
    if (bytes.size() >= encoded.size()) {
        return bytes.substr(0, encoded.size()) == encoded;
    }
    return encoded.compare(0, bytes.size(), bytes) == 0 &&
           encoded.find_first_not_of(' ', bytes.size()) == std::string::npos;
}

void CheckDecoding(std::string_view bytes) {
    const UnitName name = DecodeUnitName(bytes);
    for (char32_t c : name) {
        Require(IsScalarValue(c), "decoding gives Unicode scalar values");
    }
    Require(IsUtf8Reading(bytes, name) || IsLatin1Reading(bytes, name),
            "a name decodes as UTF-8 or as Latin-1, cut or padded to ten characters");
}

// Entries are filled from index 0 in file order, so the entries touched form a prefix.
void CheckLoading(std::string_view bytes) {
    UnitTable table;
    for (UnitName& entry : table) {
        entry.fill(kUntouched);
    }
    LoadUnitTableFromText(bytes, table);
    bool touched = true;
    for (const UnitName& entry : table) {
        const bool untouched = entry[0] == kUntouched;
        Require(touched || untouched, "the entries filled come first, without gaps");
        touched = !untouched;
        for (char32_t c : entry) {
            Require(untouched ? c == kUntouched : IsScalarValue(c), "entries are whole names");
        }
    }
}

}  // namespace
}  // namespace rv7342

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    rv7342::CheckDecoding(bytes);
    rv7342::CheckLoading(bytes);
    return 0;
}

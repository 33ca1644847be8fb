#pragma once
// The unit-name table: 101 names of exactly ten characters, indexed by the unit codes that
// the meter sends. It is read from "unit2.dat", one entry a line: a first field that is not
// used and the name.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/failure.h"

namespace rv7342 {

constexpr int kUnitNameCount = 101;
constexpr int kUnitNameLength = 10;

// Ten characters; an entry the table file never reached holds ten characters of code 0.
using UnitName = std::array<char32_t, kUnitNameLength>;
using UnitTable = std::array<UnitName, kUnitNameCount>;

// Left-aligned in ten characters: padded with blanks or cut.
UnitName MakeUnitName(std::u32string_view name);
bool IsUnassigned(const UnitName& name);

// A name field of the table file as its entry: read as UTF-8 when the whole field is valid
// UTF-8, otherwise each byte as Latin-1, then padded or cut. Only the characters kept are
// decoded, so a field of any length costs no memory of its own.
UnitName DecodeUnitName(std::string_view bytes);

// The lines of a table file that are not an entry of two fields, each as "line 3: ...".
using UnitTableFaults = std::vector<std::string>;

// Fills the table in file order from the text of a table file, one entry a line; no more than
// the 101 entries the table holds are read. A line that does not hold exactly two fields, or
// whose quote is never closed, leaves its entry unassigned and is added to `faults`; later
// lines keep their own codes.
void LoadUnitTableFromText(std::string_view text, UnitTable& table,
                           UnitTableFaults* faults = nullptr);
// Loads the table file at `path`, reading it as it goes. When it cannot be read the table
// stays as it was and the reason names the path.
[[nodiscard]] Failure LoadUnitTable(const std::string& path, UnitTable& table,
                                    UnitTableFaults* faults = nullptr);

}  // namespace rv7342

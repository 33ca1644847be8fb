#pragma once
// Turns the digit characters of one 16-byte reading frame into a reading. The bytes of a
// frame are stored from position 15 down to 0; the digit at position 14 chooses the layout:
// 4 for a single five-digit value, anything else for two four-digit values.

#include <cstdint>

#include "ui/form_state.h"

namespace rv7342 {

// Stores byte - 48 at `position`; bytes above '9' store 0, bytes below '0' their negative
// difference.
void StoreFrameDigit(FormState& state, int position, std::uint8_t byte);
void DecodeUnitIndex(FormState& state);
void DecodeTwoValues(FormState& state);
void DecodeSingleValue(FormState& state);
void DecodeReading(FormState& state);

}  // namespace rv7342

#pragma once
// Turns the digit characters of one 16-byte reading frame into a reading. The bytes of a
// frame are stored from position 15 down to 0; the digit at position 14 chooses the layout:
// 4 for a single five-digit value, anything else for two four-digit values.

#include <array>
#include <cstdint>

namespace rv7342 {

// The decoder's working state. It outlives a transfer: a frame only partly received leaves
// the digits of an earlier frame in the positions it did not reach.
struct DecoderState {
    std::array<std::int16_t, 16> DigitBuffer{};
    std::int16_t UnitIndex = 0;
    std::int16_t Unit2Index = 0;  // set by the decoder for the record written next
    double Value1 = 0;
    double Value2 = 0;
};

// Stores byte - 48 at `position`; bytes above '9' store 0, bytes below '0' their negative
// difference.
void StoreFrameDigit(DecoderState& state, int position, std::uint8_t byte);
void DecodeUnitIndex(DecoderState& state);
void DecodeTwoValues(DecoderState& state);
void DecodeSingleValue(DecoderState& state);
void DecodeReading(DecoderState& state);

}  // namespace rv7342

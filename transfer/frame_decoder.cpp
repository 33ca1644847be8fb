#include "transfer/frame_decoder.h"

#include <cmath>

namespace rv7342 {

namespace {

constexpr int kSingleValueLayout = 4;

int Digit(const DecoderState& state, int position) {
    return state.DigitBuffer[position];
}

double PowerOfTen(int exponent) {
    return std::pow(10.0, exponent);
}

// Four digits as thousands, hundreds, tens and units. Formed in int, not 16 bits: control
// bytes in digit positions (13 stores -35) would leave the 16-bit range.
int FourDigitSum(const DecoderState& state, int thousands) {
    return Digit(state, thousands) * 1000 + Digit(state, thousands - 1) * 100 +
           Digit(state, thousands - 2) * 10 + Digit(state, thousands - 3);
}

}  // namespace

void StoreFrameDigit(DecoderState& state, int position, std::uint8_t byte) {
    const int digit = byte - '0';
    state.DigitBuffer[position] = static_cast<std::int16_t>(digit > 9 ? 0 : digit);
}

void DecodeUnitIndex(DecoderState& state) {
    state.UnitIndex = static_cast<std::int16_t>(Digit(state, 12) * 10 + Digit(state, 11));
}

void DecodeTwoValues(DecoderState& state) {
    state.Value1 = FourDigitSum(state, 4) / PowerOfTen(Digit(state, 9));
    const int sign = Digit(state, 14);
    if (sign == 3 || sign == 1) {
        state.Value1 = state.Value1 * -1;
    }
    state.Value2 = FourDigitSum(state, 8) / PowerOfTen(Digit(state, 10));
    state.Unit2Index = static_cast<std::int16_t>(Digit(state, 13));
}

void DecodeSingleValue(DecoderState& state) {
    const double sum = Digit(state, 5) * 10000.0 + FourDigitSum(state, 4);
    state.Value1 = sum / PowerOfTen(Digit(state, 9));
    if (Digit(state, 10) == 1) {
        state.Value1 = state.Value1 * -1;
    }
    state.Value2 = 0;
    state.Unit2Index = 0;
}

void DecodeReading(DecoderState& state) {
    if (Digit(state, 14) == kSingleValueLayout) {
        DecodeSingleValue(state);
    } else {
        DecodeTwoValues(state);
    }
}

}  // namespace rv7342

#include "transfer/frame_decoder.h"

#include <iterator>

namespace rv7342 {

namespace {

constexpr int kSingleValueLayout = 4;

// Every digit value StoreFrameDigit can store: a byte 0 gives the lowest, '9' the highest.
constexpr int kLowestDigit = 0 - '0';
constexpr int kHighestDigit = 9;

// 10^-48 to 10^9 as the compiler rounds each literal: the nearest double, the same on every
// platform, where a library's pow may be off by many units in the last place.
constexpr double kPowersOfTen[] = {
    1e-48, 1e-47, 1e-46, 1e-45, 1e-44, 1e-43, 1e-42, 1e-41, 1e-40, 1e-39, 1e-38, 1e-37,
    1e-36, 1e-35, 1e-34, 1e-33, 1e-32, 1e-31, 1e-30, 1e-29, 1e-28, 1e-27, 1e-26, 1e-25,
    1e-24, 1e-23, 1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13,
    1e-12, 1e-11, 1e-10, 1e-9,  1e-8,  1e-7,  1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,
    1e0,   1e1,   1e2,   1e3,   1e4,   1e5,   1e6,   1e7,   1e8,   1e9};
static_assert(std::size(kPowersOfTen) == kHighestDigit - kLowestDigit + 1);

int Digit(const DecoderState& state, int position) {
    return state.DigitBuffer[position];
}

// `exponent` is a stored digit value.
double PowerOfTen(int exponent) {
    return kPowersOfTen[exponent - kLowestDigit];
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
    state.DigitBuffer[position] = static_cast<std::int16_t>(digit > kHighestDigit ? 0 : digit);
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

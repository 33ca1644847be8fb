#include "transfer/frame_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace rv7342 {
namespace {

// Stores the bytes of positions 14 down to 1 of a frame.
DecoderState Decoded(const std::string& positions14to1) {
    DecoderState state;
    for (int i = 0; i < 14; ++i) {
        StoreFrameDigit(state, 14 - i, static_cast<std::uint8_t>(positions14to1[i]));
    }
    DecodeUnitIndex(state);
    DecodeReading(state);
    return state;
}

TEST(StoreFrameDigit, DigitsControlBytesAndLetters) {
    DecoderState state;
    const std::pair<int, int> cases[] = {{'0', 0},  {'9', 9},  {'A', 0},   {255, 0},
                                         {13, -35}, {27, -21}, {' ', -16}, {1, -47}};
    for (auto [byte, stored] : cases) {
        SCOPED_TRACE(byte);
        StoreFrameDigit(state, 7, static_cast<std::uint8_t>(byte));
        EXPECT_EQ(state.DigitBuffer[7], stored) << "byte " << byte;
    }
}

TEST(DecodeTwoValues, ValuesUnitsAndSigns) {
    const DecoderState plain = Decoded("03051201231234");
    EXPECT_EQ(plain.UnitIndex, 5);
    EXPECT_EQ(plain.Value1, 12.34);
    EXPECT_EQ(plain.Value2, 12.3);
    EXPECT_EQ(plain.Unit2Index, 3);

    for (char sign : {'1', '3'}) {
        SCOPED_TRACE(sign);
        const DecoderState negative = Decoded(sign + std::string("3051201231234"));
        EXPECT_EQ(negative.Value1, -12.34) << sign;
        EXPECT_EQ(negative.Value2, 12.3) << "the second value has no sign";
    }
    EXPECT_EQ(Decoded("23051201231234").Value1, 12.34);
    EXPECT_EQ(Decoded("03120000001234").UnitIndex, 12);
    EXPECT_EQ(Decoded("03000000001234").Value1, 1234) << "exponent 0 divides by 1";
}

TEST(DecodeTwoValues, ScalesByDivisionNotByTheInverse) {
    // 3 * 0.1 would give 0.30000000000000004.
    EXPECT_EQ(Decoded("00000100000003").Value1, 0.3);
}

TEST(DecodeSingleValue, FiveDigitsAndItsOwnSign) {
    const DecoderState negative = Decoded("49991397712345");
    EXPECT_EQ(negative.Value1, -12.345);
    EXPECT_EQ(negative.Value2, 0);
    EXPECT_EQ(negative.Unit2Index, 0);
    EXPECT_EQ(negative.UnitIndex, 99);

    EXPECT_EQ(Decoded("40002300012345").Value1, 12.345) << "only 1 at position 10 negates";
    EXPECT_EQ(Decoded("40000000099999").Value1, 99999) << "beyond 16 bits, in floating point";
}

TEST(Decode, ControlBytesInDigitPositionsDecodeWithoutOverflow) {
    // A 13 at position 4 makes the thousands -35: -35000 + 234 leaves 16 bits.
    std::string frame = "00000000000234";
    frame[10] = 13;
    EXPECT_EQ(Decoded(frame).Value1, -34766);
    frame = "00000000000000";
    frame[6] = 13;  // second value's thousands
    EXPECT_EQ(Decoded(frame).Value2, -35000);
    // A 13 as exponent divides by 10^-35.
    frame = "00000000001234";
    frame[5] = 13;
    EXPECT_DOUBLE_EQ(Decoded(frame).Value1, 1234 / std::pow(10.0, -35));
    EXPECT_TRUE(std::isfinite(Decoded(frame).Value1));
}

}  // namespace
}  // namespace rv7342

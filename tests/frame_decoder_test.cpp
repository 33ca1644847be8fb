#include "transfer/frame_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

// Two values (sign, unit 2, unit, exponents, two four-digit sums) or, with 4 at position 14,
// one five-digit value negated by a 1 at position 10. A 13 (-35) in a digit position must not
// overflow 16 bits.
TEST(Decode, ValuesUnitsSignsAndScales) {
    const struct {
        std::string positions14to1;
        double value1;
        int unit;
        double value2;
        int unit2;
    } cases[] = {
        {"03051201231234", 12.34, 5, 12.3, 3},
        {"13051201231234", -12.34, 5, 12.3, 3},  // the second value has no sign
        {"33051201231234", -12.34, 5, 12.3, 3},
        {"23051201231234", 12.34, 5, 12.3, 3},
        {"03120000001234", 1234, 12, 0, 3},  // exponent 0 divides by 1
        {"00000100000003", 0.3, 0, 0, 0},    // 3 / 10, not 3 * 0.1
        {"49991397712345", -12.345, 99, 0, 0},
        {"40002300012345", 12.345, 0, 0, 0},   // only 1 at position 10 negates
        {"40000000099999", 99999, 0, 0, 0},    // beyond 16 bits, in floating point
        {"0000000000\r234", -34766, 0, 0, 0},  // -35000 + 234
        {"000000\r0000000", 0, 0, -35000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.positions14to1);
        const DecoderState state = Decoded(c.positions14to1);
        EXPECT_EQ(state.Value1, c.value1);
        EXPECT_EQ(state.UnitIndex, c.unit);
        EXPECT_EQ(state.Value2, c.value2);
        EXPECT_EQ(state.Unit2Index, c.unit2);
    }
    // A 13 as exponent divides by 10^-35, and a 0, which only a direct store gives, by 10^-48.
    EXPECT_EQ(Decoded("00000\r00001234").Value1, 1234 / 1e-35);
    EXPECT_EQ(Decoded(std::string("00000") + '\0' + "00001234").Value1, 1234 / 1e-48);
}

}  // namespace
}  // namespace rv7342

#include "tools/meter_image.h"

#include <array>
#include <cmath>
#include <random>

#include "transfer/meter_protocol.h"

namespace rv7342 {

namespace {

constexpr int kUnitCodes = 30;
constexpr int kUnit2Codes = 10;
constexpr int kExponents = 5;

// Random choices from the seed. The engine's output is fixed by the standard; the standard
// distributions are not, so they are left out to keep an image the same everywhere.
class Dice {
  public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}
    int Below(int count) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(count)); }
    bool OneIn(int count) { return Below(count) == 0; }

  private:
    std::mt19937 engine_;
};

// The digit values of positions 0 to 15 of one frame. Each reading is worked out here from
// the digits it puts in its frame, not by the program's decoder: the images check that
// decoder, so they must not share its faults.
using FrameDigits = std::array<int, kFrameSize>;

double Scaled(double sum, int exponent) {
    return sum / std::pow(10.0, exponent);
}

// The four-digit value whose units digit stands at `units`.
int FourDigits(const FrameDigits& digits, int units) {
    return digits[units + 3] * 1000 + digits[units + 2] * 100 + digits[units + 1] * 10 +
           digits[units];
}

void RandomDigits(Dice& dice, FrameDigits& digits, int from, int to) {
    for (int position = from; position <= to; ++position) {
        digits[position] = dice.Below(10);
    }
}

int PutUnitIndex(Dice& dice, FrameDigits& digits) {
    const int unit = dice.Below(kUnitCodes);
    digits[12] = unit / 10;
    digits[11] = unit % 10;
    return unit;
}

Reading TwoValueReading(Dice& dice, FrameDigits& digits) {
    static constexpr int kSigns[] = {0, 0, 0, 1, 3};  // mostly positive; 1 and 3 negative
    Reading reading;
    digits[14] = kSigns[dice.Below(5)];
    reading.unit2Index = digits[13] = dice.Below(kUnit2Codes);
    reading.unitIndex = PutUnitIndex(dice, digits);
    digits[10] = dice.Below(kExponents);
    digits[9] = dice.Below(kExponents);
    RandomDigits(dice, digits, 1, 8);
    reading.value1 = Scaled(FourDigits(digits, 1), digits[9]);
    if (digits[14] == 1 || digits[14] == 3) {
        reading.value1 *= -1;
    }
    reading.value2 = Scaled(FourDigits(digits, 5), digits[10]);
    return reading;
}

// Positions 13 and 8 to 6 are not part of the reading; they get digits all the same.
Reading SingleValueReading(Dice& dice, FrameDigits& digits) {
    Reading reading;
    digits[14] = 4;
    digits[13] = dice.Below(10);
    reading.unitIndex = PutUnitIndex(dice, digits);
    digits[10] = dice.OneIn(4) ? 1 : 0;
    digits[9] = dice.Below(kExponents);
    RandomDigits(dice, digits, 1, 8);
    reading.value1 = Scaled(digits[5] * 10000.0 + FourDigits(digits, 1), digits[9]);
    if (digits[10] == 1) {
        reading.value1 *= -1;
    }
    return reading;
}

void AppendFrame(Bytes& bytes, const FrameDigits& digits) {
    for (int position = kFrameSize - 1; position > 0; --position) {
        bytes.push_back(static_cast<std::uint8_t>('0' + digits[position]));
    }
    bytes.push_back(kCarriageReturn);
}

// Line noise before the first frame boundary: anything but a carriage return, with an escape
// among it that the program must not count.
void AppendNoise(Dice& dice, Bytes& bytes) {
    const int length = 3 + dice.Below(6);
    const int escapeAt = dice.Below(length);
    for (int i = 0; i < length; ++i) {
        const int byte = dice.Below(255);
        bytes.push_back(i == escapeAt
                            ? kEscape
                            : static_cast<std::uint8_t>(byte < kCarriageReturn ? byte : byte + 1));
    }
}

// A digit, escapes at positions 14 down to 1, and the carriage return.
void AppendClosingFrame(Dice& dice, Bytes& bytes) {
    bytes.push_back(static_cast<std::uint8_t>('0' + dice.Below(10)));
    bytes.insert(bytes.end(), kFrameSize - 2, kEscape);
    bytes.push_back(kCarriageReturn);
}

}  // namespace

MeterImage GenerateMeterImage(int frames, std::uint32_t seed) {
    Dice dice(seed);
    MeterImage image;
    AppendNoise(dice, image.bytes);
    image.bytes.push_back(kCarriageReturn);
    for (int i = 0; i < frames; ++i) {
        FrameDigits digits{};
        digits[15] = dice.Below(10);
        image.readings.push_back(dice.OneIn(3) ? SingleValueReading(dice, digits)
                                               : TwoValueReading(dice, digits));
        AppendFrame(image.bytes, digits);
    }
    AppendClosingFrame(dice, image.bytes);
    AppendClosingFrame(dice, image.bytes);
    return image;
}

}  // namespace rv7342

#pragma once
// The memory image a simulated meter sends after RESET: a few bytes of line noise, the
// carriage return that ends them, one frame per stored reading, and two closing frames of
// escapes. A frame is sent for positions 15 down to 0 and ends with a carriage return;
// position 14 holds 4 for a single five-digit value, otherwise the sign of the first of two
// four-digit values.

#include <cstdint>
#include <vector>

namespace rv7342 {

using Bytes = std::vector<std::uint8_t>;

// A stored reading as the program decodes it from its frame.
struct Reading {
    double value1 = 0;
    int unitIndex = 0;
    double value2 = 0;
    int unit2Index = 0;
};

struct MeterImage {
    Bytes bytes;
    std::vector<Reading> readings;  // in the order of their frames
};

// The same frame count and seed give the same image on every platform.
MeterImage GenerateMeterImage(int frames, std::uint32_t seed);

}  // namespace rv7342

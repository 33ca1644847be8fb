#pragma once
// Byte streams as the meter sends them, for tests: 16-byte frames of digit characters
// (positions 15 down to 0, the last byte a carriage return) and the closing frames of escapes.
// The protocol's bytes are written here as the meter sends them, not taken from the program,
// so that a wrong value in the program fails the tests.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace rv7342 {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kMeterCarriageReturn = 13;
inline constexpr std::uint8_t kMeterEscape = 27;
inline constexpr std::uint8_t kMeterAbandon = 0;  // inside a frame: the frame is dropped
inline constexpr std::size_t kMeterFrameSize = 16;

// A frame from the digits of positions 14 down to 1.
inline Bytes Frame(const std::string& positions14to1) {
    Bytes frame{'0'};
    for (char digit : positions14to1) {
        frame.push_back(static_cast<std::uint8_t>(digit));
    }
    frame.push_back(kMeterCarriageReturn);
    return frame;
}

inline const Bytes kTwoValue = Frame("03051201231234");     // 12.34 unit 5, 12.3 unit 3
inline const Bytes kSingleValue = Frame("49991397712345");  // -12.345 unit 99

// The frame with the byte at index `at` (position 15 - at) replaced.
inline Bytes With(Bytes frame, std::size_t at, std::uint8_t byte) {
    frame.at(at) = byte;
    return frame;
}

// A closing frame carrying `escapes` escape bytes.
inline Bytes EscapeFrame(int escapes = 14) {
    Bytes frame(kMeterFrameSize, '0');
    for (int i = 1; i <= escapes; ++i) {
        frame[i] = kMeterEscape;
    }
    frame[kMeterFrameSize - 1] = kMeterCarriageReturn;
    return frame;
}

// The parts one after the other.
inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes stream;
    for (const Bytes& part : parts) {
        stream.insert(stream.end(), part.begin(), part.end());
    }
    return stream;
}

inline Bytes& operator+=(Bytes& stream, const Bytes& more) {
    stream.insert(stream.end(), more.begin(), more.end());
    return stream;
}

// Noise, the synchronising carriage return, the frames, and the two closing frames.
inline Bytes MemoryImage(const std::vector<Bytes>& frames) {
    Bytes stream{'x', kMeterEscape, kMeterAbandon, 200, kMeterCarriageReturn};
    for (const Bytes& frame : frames) {
        stream += frame;
    }
    stream += EscapeFrame();
    stream += EscapeFrame();
    return stream;
}

}  // namespace rv7342

#pragma once
// Byte streams as the meter sends them, for tests: 16-byte frames of digit characters
// (positions 15 down to 0, the last byte a carriage return) and the closing frames of escapes.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "transfer/meter_protocol.h"

namespace rv7342 {

using Bytes = std::vector<std::uint8_t>;

// A frame from the digits of positions 14 down to 1.
inline Bytes Frame(const std::string& positions14to1) {
    Bytes frame{'0'};
    for (char digit : positions14to1) {
        frame.push_back(static_cast<std::uint8_t>(digit));
    }
    frame.push_back(kCarriageReturn);
    return frame;
}

// A closing frame carrying `escapes` escape bytes.
inline Bytes EscapeFrame(int escapes = 14) {
    Bytes frame(kFrameSize, '0');
    for (int i = 1; i <= escapes; ++i) {
        frame[i] = kEscape;
    }
    frame[kFrameSize - 1] = kCarriageReturn;
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
    Bytes stream{'x', kEscape, kAbandonFrame, 200, kCarriageReturn};
    for (const Bytes& frame : frames) {
        stream += frame;
    }
    stream += EscapeFrame();
    stream += EscapeFrame();
    return stream;
}

}  // namespace rv7342

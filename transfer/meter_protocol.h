#pragma once
// What the meter sends after RESET: bytes ended by a carriage return, then 16-byte frames of
// digit characters, one per stored reading, then escape bytes that mark the end of its memory.

#include <cstddef>
#include <cstdint>

namespace rv7342 {

constexpr std::uint8_t kCarriageReturn = 13;  // the first one marks a frame boundary
constexpr std::uint8_t kEscape = 27;          // counted inside frames: the end marker
constexpr std::uint8_t kAbandonFrame = 0;     // inside a frame: the frame is dropped
constexpr std::size_t kFrameSize = 16;
constexpr long long kLastRecordEscapes = 14;  // from this escape on no record is written
constexpr long long kEndEscapes = 28;         // the count after a frame that ends the memory
constexpr double kLineBytesPerSecond = 960;   // 9600 baud, ten bit times a byte

}  // namespace rv7342

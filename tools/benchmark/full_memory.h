#pragma once
// The inputs of the benchmarks: a full meter memory of 32767 readings, as the meter sends it
// and as the data file that a transfer of it writes.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "tools/meter_image.h"
#include "transfer/meter_protocol.h"

namespace rv7342 {

constexpr int kFullMemory = 32767;

const Bytes& FullMemoryImage();
const std::string& FullMemoryDataFile();

// Reports `bytes` handled per iteration as bytes/s and as a multiple of the line speed.
void SetByteRate(benchmark::State& state, std::size_t bytes);

}  // namespace rv7342

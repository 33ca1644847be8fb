#pragma once
// How long a test waits for something to happen before it fails. One figure for the whole
// suite: generous enough for the sanitizer build on a loaded machine, and well below the
// TIMEOUT CTest gives every test. A wait that meets it is a failure, never a measurement.

#include <chrono>

namespace rv7342 {

inline constexpr std::chrono::seconds kEventDeadline{60};

}  // namespace rv7342

#pragma once
// How long a test waits for something to happen before it fails. One figure for the whole
// suite: generous enough for the sanitizer build on a loaded machine, and well below the
// TIMEOUT CTest gives every test. A wait that meets it is a failure, never a measurement.

#include <chrono>
#include <functional>
#include <thread>

namespace rv7342 {

inline constexpr std::chrono::seconds kEventDeadline{60};

// True once `happened` holds, looked at every 5 ms; false when it does not within `limit`.
inline bool WaitUntil(const std::function<bool()>& happened,
                      std::chrono::milliseconds limit = kEventDeadline) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!happened()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace rv7342

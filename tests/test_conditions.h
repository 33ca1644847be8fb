#pragma once
// What a test needs of the machine it runs on. Outside CI a test whose need is not met skips,
// saying why; in CI (CI=true), which runs as root with everything installed, it fails instead,
// so that a green CI never hides a test that did not run.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>

namespace rv7342 {

inline bool RunningInCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::strcmp(ci, "true") == 0;
}

inline bool RunningAsRoot() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

}  // namespace rv7342

// Skips the test outside CI and fails it in CI; `reason` says what is missing.
#define RV7342_SKIP_OUTSIDE_CI(reason)                                   \
    do {                                                                 \
        if (::rv7342::RunningInCi()) {                                   \
            FAIL() << "CI must run this test, but " << (reason);         \
        }                                                                \
        GTEST_SKIP() << (reason);                                        \
    } while (false)

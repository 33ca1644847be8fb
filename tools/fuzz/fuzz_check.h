#pragma once
// Invariant checks for the fuzz targets. A broken invariant aborts, which libFuzzer and the
// replay runner both report together with the input that broke it.

#include <cstdio>
#include <cstdlib>

namespace rv7342 {

inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

}  // namespace rv7342

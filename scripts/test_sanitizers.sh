#!/usr/bin/env bash
# Builds the program and its tests with the address and undefined-behaviour sanitizers in
# build-asan and runs the whole test suite there. Any report fails the run, except leaks
# inside system libraries listed in scripts/lsan.supp.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

# Set for the build as well: test discovery runs the test programs.
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0

# GCC leaves the check of float-to-integer conversions out of "undefined": named on its own.
configure_and_build "$ROOT/build-asan" \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer"
ctest --test-dir "$ROOT/build-asan" --output-on-failure -j2

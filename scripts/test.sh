#!/usr/bin/env bash
# Builds the program and runs the whole test suite, then again with the sanitizers.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

configure_and_build "$ROOT/build" -DBUILD_TESTING=ON
ctest --test-dir "$ROOT/build" --output-on-failure -j2
bash "$ROOT/scripts/test_sanitizers.sh"

#!/usr/bin/env bash
# Builds the fuzz targets with clang++ in build-fuzz and runs each one for a bounded time.
# Each target grows a working corpus in build-fuzz/corpus/<target>/ from its seeds in
# tools/fuzz/corpus/<target>/ and its saved inputs in tools/fuzz/regressions/<target>/.
# Inputs that crash are left in build-fuzz/crashes/<target>/; once the fault is fixed, copy
# them to tools/fuzz/regressions/<target>/, where the test suite replays them.
#
# Usage: tools/fuzz/run.sh [seconds-per-target] [target...]   (default: 60 s, all targets)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"

SECONDS_PER_TARGET=${1:-60}
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(transfer data_file unit_table)
BUILD=$ROOT/build-fuzz
FUZZ=$ROOT/tools/fuzz

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DRV7342_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD" --target "${TARGETS[@]/%/_fuzzer}"

failed=()
for target in "${TARGETS[@]}"; do
    corpus=$BUILD/corpus/$target
    crashes=$BUILD/crashes/$target
    mkdir -p "$corpus" "$crashes"
    inputs=("$corpus" "$FUZZ/corpus/$target")
    [ -d "$FUZZ/regressions/$target" ] && inputs+=("$FUZZ/regressions/$target")
    echo "== $target: ${SECONDS_PER_TARGET}s"
    if ! "$BUILD/tools/fuzz/${target}_fuzzer" -max_total_time="$SECONDS_PER_TARGET" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "${inputs[@]}"; then
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Crashing inputs found for: ${failed[*]} (see $BUILD/crashes/)" >&2
    exit 1
fi
echo "No crashes in ${TARGETS[*]}"

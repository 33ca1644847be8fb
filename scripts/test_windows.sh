#!/usr/bin/env bash
# Cross-builds the plain C++ core (decoder, transfer machine, data files, readings) and its
# tests for 64-bit Windows in build-windows, and runs them under wine.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
ensure_packages "${WINDOWS_PACKAGES[@]}"

BUILD=$ROOT/build-windows

# A wine of its own inside the build folder, quiet, without the .NET and browser installers.
export WINEPREFIX=$BUILD/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One wine server for the whole run, test discovery while building included, rather than one
# started and stopped for every test program.
mkdir -p "$WINEPREFIX"
wineserver -p
trap 'wineserver -k' EXIT
wineboot --init >/dev/null 2>&1

configure_and_build "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DRV7342_QT=OFF -DBUILD_TESTING=ON
ctest --test-dir "$BUILD" --output-on-failure -j2

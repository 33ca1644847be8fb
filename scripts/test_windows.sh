#!/usr/bin/env bash
# Builds RV7342 for 64-bit Windows with its tests (scripts/build_windows.sh: the cached Qt,
# the programs, the installer) and runs them under wine on a virtual display: the core's
# tests, the windows' tests on Qt's offscreen platform, and the built programs and installer,
# compared with the Linux rv7342-cli of build/ (built first when missing).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
ensure_packages "${WINDOWS_PACKAGES[@]}" "${WINDOWS_QT_PACKAGES[@]}" "${BUILD_PACKAGES[@]}" \
    xdotool python3 python3-openpyxl
# wine turns Windows' file names into the names on disk by the locale's character set: the
# tests' names in any language need a UTF-8 one, which C.UTF-8 always is.
export LC_ALL=C.UTF-8
# wine makes windows, even offscreen Qt's hidden ones, only on an X display.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bash "$0" "$@"
fi

LINUX=$ROOT/build
[ -f "$LINUX/CMakeCache.txt" ] || cmake -S "$ROOT" -B "$LINUX" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$LINUX" --target rv7342-cli

BUILD=$ROOT/build-windows
# A wine of its own inside the build folder, quiet, without the .NET and browser installers.
export WINEPREFIX=$BUILD/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One wine server for the whole run, rather than one started and stopped for every test.
mkdir -p "$WINEPREFIX"
wineserver -p
trap 'wineserver -k' EXIT
wineboot --init >/dev/null 2>&1

RV7342_WINDOWS_TESTS=ON RV7342_LINUX_CLI=$LINUX/app/rv7342-cli bash "$ROOT/scripts/build_windows.sh"
ctest --test-dir "$BUILD" --output-on-failure -j2

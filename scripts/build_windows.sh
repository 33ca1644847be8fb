#!/usr/bin/env bash
# Builds RV7342 for 64-bit Windows: a static Qt 6.4.2 for MinGW-w64, QCustomPlot and libxlsxwriter
# (each built once per machine into a cache outside the clone, keyed on version and options), then
# rv7342.exe, rv7342-cli.exe, the installer build-windows/rv7342-<version>-win64.exe and the
# portable zip. Sources come only through apt-get source (with a source list of its own) or, for
# Qt modules the mirror does not serve, from the folder named by RV7342_QT_SOURCES.
#   --deps-only   builds only the cached libraries
# RV7342_WINDOWS_TESTS=ON builds the tests too (scripts/test_windows.sh runs them), comparing
# with the Linux rv7342-cli named by RV7342_LINUX_CLI.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
source "$ROOT/scripts/windows_deps.sh"
ensure_packages "${WINDOWS_PACKAGES[@]}" "${WINDOWS_QT_PACKAGES[@]}"

QT_PREFIX=$(qt_prefix)
build_qt "$QT_PREFIX"
QCUSTOMPLOT_PREFIX=$(qcustomplot_prefix "$QT_PREFIX")
build_qcustomplot "$QT_PREFIX" "$QCUSTOMPLOT_PREFIX"
XLSXWRITER_PREFIX=$(xlsxwriter_prefix)
build_xlsxwriter "$XLSXWRITER_PREFIX"
[ "${1:-}" = --deps-only ] && exit 0

BUILD=$ROOT/build-windows
# Only the Windows libraries' pkg-config files, never the host's.
export PKG_CONFIG_LIBDIR=$XLSXWRITER_PREFIX/lib/pkgconfig
configure_and_build "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$QT_PREFIX;$QCUSTOMPLOT_PREFIX;$XLSXWRITER_PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING="${RV7342_WINDOWS_TESTS:-OFF}" \
    -DRV7342_LINUX_CLI="${RV7342_LINUX_CLI:-}"
(cd "$BUILD" && cpack -G "NSIS;ZIP" >/dev/null)
ls "$BUILD"/rv7342-*-win64.*

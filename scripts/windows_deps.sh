# Sourced by build_windows.sh: builds the libraries the Windows programs link statically, each
# once per machine, into a cache outside the clone. A library's folder is named after its version
# and a hash of everything that shapes the build (options, toolchain, compiler), so that a change
# builds a new one beside the old; a folder counts only once its .complete stamp is written.

CACHE=${RV7342_CACHE:-/var/cache/rv7342}
if ! mkdir -p "$CACHE" 2>/dev/null || [ ! -w "$CACHE" ]; then
    CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/rv7342
    mkdir -p "$CACHE"
fi
QT_VERSION=6.4.2
MINGW_CXX=x86_64-w64-mingw32-g++-posix

# The compilers of the cross build, as a CMake toolchain the cached libraries keep.
mingw_toolchain() {
    cat <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# Static release Qt with only what the programs use; OpenGL off entirely (INPUT_opengl), DirectWrite
# kept (direct2d1_1 off only), no tablet support (Debian's source lacks wintab.h), no
# androiddeployqt (a Debian patch turns it on when cross-compiling), bundled third-party libraries.
QT_OPTIONS=(-DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DINPUT_opengl=no -DFEATURE_direct2d1_1=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_androiddeployqt=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_testlib=ON
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF)

build_key() {
    { printf '%s\n' "$@"; mingw_toolchain; $MINGW_CXX -dumpfullversion; } | sha256sum | cut -c1-12
}

qt_prefix() { echo "$CACHE/qt-$QT_VERSION-$(build_key "$QT_VERSION" "${QT_OPTIONS[@]}")"; }

# fetch_debian_source <source package> <dir>: unpacks Debian's source, patches applied, into dir
# through apt's own lists kept in the cache; the system's apt configuration stays untouched.
fetch_debian_source() {
    local package=$1 dir=$2 apt=$CACHE/apt
    local uri suite
    uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $2 !~ /^\[/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
    [ -n "$uri" ] || uri=http://deb.debian.org/debian
    suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $suite main" \
        >"$apt/sources.list"
    local options=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root)
    if [ -z "$(find "$apt/lists" -name '*Sources*' -mmin -1440 2>/dev/null | head -1)" ]; then
        apt-get "${options[@]}" update -qq
    fi
    rm -rf "$dir"
    mkdir -p "$dir"
    (cd "$dir" && apt-get "${options[@]}" source -qq "$package" >/dev/null 2>&1) || return 1
}

# qt_module_source <module> <dir>: the module's Debian source, or its release archive from
# RV7342_QT_SOURCES after checking it against the folder's SHA256SUMS. Prints the source folder.
qt_module_source() {
    local module=$1 dir=$2
    if fetch_debian_source "qt6-${module#qt}" "$dir"; then
        find "$dir" -mindepth 1 -maxdepth 1 -type d | head -1
        return
    fi
    local archive=$module-everywhere-src-$QT_VERSION.tar.xz
    if [ -z "${RV7342_QT_SOURCES:-}" ] || [ ! -f "$RV7342_QT_SOURCES/$archive" ]; then
        echo "build_windows.sh: the mirror does not serve qt6-${module#qt}; set RV7342_QT_SOURCES" \
            "to a folder holding $archive and SHA256SUMS" >&2
        return 1
    fi
    (cd "$RV7342_QT_SOURCES" && grep " $archive\$" SHA256SUMS | sha256sum --check --quiet) || {
        echo "build_windows.sh: $RV7342_QT_SOURCES/$archive does not match SHA256SUMS" >&2
        return 1
    }
    rm -rf "$dir"
    mkdir -p "$dir"
    tar -xJf "$RV7342_QT_SOURCES/$archive" -C "$dir"
    echo "$dir/$module-everywhere-src-$QT_VERSION"
}

# build_qt <prefix>: qtbase, Qt Serial Port and Qt SVG installed into prefix, unless done before.
build_qt() {
    local prefix=$1
    [ -f "$prefix/.complete" ] && return 0
    local work=$CACHE/build/qt-$$ source
    echo "Building static Qt $QT_VERSION for Windows into $prefix (once per machine; long)"
    rm -rf "$prefix" "$work"
    mkdir -p "$prefix" "$work"
    mingw_toolchain >"$prefix/mingw-toolchain.cmake"
    fetch_debian_source qt6-base "$work/qtbase-src"
    source=$(find "$work/qtbase-src" -mindepth 1 -maxdepth 1 -type d | head -1)
    cmake -S "$source" -B "$work/qtbase" -G Ninja "${QT_OPTIONS[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$prefix"
    cmake --build "$work/qtbase" --parallel "${RV7342_JOBS:-2}"
    cmake --install "$work/qtbase" >/dev/null
    local module
    for module in qtserialport qtsvg; do
        source=$(qt_module_source "$module" "$work/$module-src")
        cmake -S "$source" -B "$work/$module" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
        cmake --build "$work/$module" --parallel "${RV7342_JOBS:-2}"
        cmake --install "$work/$module" >/dev/null
    done
    rm -rf "$work"
    touch "$prefix/.complete"
}

# Builds the project configured in <work>/build, installs it into <prefix>, removes <work> and
# marks <prefix> complete.
install_built() {
    cmake --build "$1/build" --parallel "${RV7342_JOBS:-2}"
    cmake --install "$1/build" >/dev/null
    rm -rf "$1"
    touch "$2/.complete"
}

# QCustomPlot as a static library for the cached Qt, from Debian's source (whose CMake build
# makes a DLL: turned into a static library without the DLL export marks).
QCUSTOMPLOT_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DUSE_QT_VERSION=6 static)

qcustomplot_prefix() {
    echo "$CACHE/qcustomplot-$(build_key "$1" "${QCUSTOMPLOT_OPTIONS[@]}")"
}

build_qcustomplot() {
    local qt=$1 prefix=$2
    [ -f "$prefix/.complete" ] && return 0
    local work=$CACHE/build/qcustomplot-$$ source
    rm -rf "$prefix" "$work"
    fetch_debian_source qcustomplot "$work/src"
    source=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -1)
    sed -i -e 's/add_library(${LIB_NAME} SHARED/add_library(${LIB_NAME} STATIC/' \
        -e 's/add_definitions(-DQCUSTOMPLOT_COMPILE_LIBRARY)//' "$source/CMakeLists.txt"
    # A static library's users need its Qt modules found too.
    sed -i '1a include(CMakeFindDependencyMacro)\nfind_dependency(Qt6 COMPONENTS Widgets PrintSupport)' \
        "$source/cmake/Config.cmake.in"
    cmake -S "$source" -B "$work/build" -G Ninja "${QCUSTOMPLOT_OPTIONS[@]:0:2}" \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
    install_built "$work" "$prefix"
}

# libxlsxwriter as a static library, linking MinGW's static zlib (libz-mingw-w64-dev).
XLSXWRITER_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DZLIB_USE_STATIC_LIBS=ON
    -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF)

xlsxwriter_prefix() {
    echo "$CACHE/libxlsxwriter-$(build_key "${XLSXWRITER_OPTIONS[@]}")"
}

build_xlsxwriter() {
    local prefix=$1
    [ -f "$prefix/.complete" ] && return 0
    local work=$CACHE/build/libxlsxwriter-$$ source
    rm -rf "$prefix" "$work"
    mkdir -p "$prefix"
    mingw_toolchain >"$prefix/mingw-toolchain.cmake"
    fetch_debian_source libxlsxwriter "$work/src"
    source=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -1)
    cmake -S "$source" -B "$work/build" -G Ninja "${XLSXWRITER_OPTIONS[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
    install_built "$work" "$prefix"
}

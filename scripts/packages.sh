# Sourced by the build scripts. ensure_packages installs the Debian packages it is given when
# any of them is missing: with apt-get when run as root, otherwise it prints the command.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "These Debian packages are needed first; install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

# The package lists are chosen here, by the Debian release this system is or derives from
# (/etc/os-release), unless RV7342_DEBIAN_RELEASE names one (as CI does for a system it
# makes). Debian 12 (bookworm) has lists of its own; any other release gets Debian 13's.
debian_release() {
    local codename version
    codename=$(. /etc/os-release && echo "${DEBIAN_CODENAME:-${VERSION_CODENAME:-}}")
    version=$(. /etc/os-release && echo "${VERSION_ID:-}")
    if [ "$codename" = bookworm ] || { [ -z "$codename" ] && [ "${version%%.*}" = 12 ]; }; then
        echo 12
    else
        echo 13
    fi
}
DEBIAN_RELEASE=${RV7342_DEBIAN_RELEASE:-$(debian_release)}

# libxlsxwriter's pkg-config file names the libraries it links, which libxlsxwriter-dev does not
# pull in: zlib on Debian 12; zlib, minizip and libcrypto on Debian 13.
if [ "$DEBIAN_RELEASE" = 12 ]; then
    XLSXWRITER_NEEDS=(zlib1g-dev)
    CLANG_RUNTIME=libclang-rt-14-dev
else
    XLSXWRITER_NEEDS=(zlib1g-dev libminizip-dev libssl-dev)
    CLANG_RUNTIME=libclang-rt-19-dev
fi
# DejaVu beside Liberation: a chart's replacement character (U+FFFD) needs a font that has it,
# which Liberation lacks; without one a saved PDF holds a blank where the character stood.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev qt6-svg-dev
    libqcustomplot-dev libxlsxwriter-dev "${XLSXWRITER_NEEDS[@]}" libgl-dev fonts-liberation
    fonts-dejavu-core librsvg2-bin)
TEST_PACKAGES=(libgtest-dev xvfb xauth xdotool xclip locales python3-openpyxl poppler-utils
    desktop-file-utils appstream)
# dpkg-shlibdeps (dpkg-dev) and file find the package's dependencies; lintian checks it.
PACKAGE_PACKAGES=(dpkg-dev file lintian)
# The fuzz targets: clang and its fuzzing runtime.
FUZZ_PACKAGES=(clang "$CLANG_RUNTIME")
# The core and its tests cross-built for 64-bit Windows and run under wine.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest wine wine64)
# The window and rv7342-cli for Windows: Qt, QCustomPlot and libxlsxwriter built from Debian's
# sources with the host Qt's moc, rcc and uic; pkg-config, which finds libxlsxwriter; the
# programs' icon drawn from its SVG; the installer; the window's tests under Xvfb.
WINDOWS_QT_PACKAGES=(dpkg-dev xz-utils qt6-base-dev qt6-base-dev-tools libz-mingw-w64-dev nsis
    zip pkg-config librsvg2-bin imagemagick xvfb xauth)

# configure_and_build <build dir> [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir"
}

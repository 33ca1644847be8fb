#!/usr/bin/env bash
# Builds the Debian package build/rv7342_VERSION_ARCH.deb from this folder, with Debian's
# hardening flags, in a build folder of its own (build-package, without the tests), then
# checks it with lintian and prints what lintian still says.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

dir="$ROOT/build-package"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
    configure_and_build "$dir" -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
mkdir -p "$ROOT/build"
package=$(ls "$dir"/*.deb)
mv "$package" "$ROOT/build/"
package="$ROOT/build/$(basename "$package")"
echo "Built $package"

# lintian refuses nothing as root but says so; its tags are what counts here.
report=$(lintian --display-info "$package" 2>&1 | grep -v '^running with root privileges') ||
    true
if grep -q '^E: ' <<<"$report"; then
    echo "lintian finds errors:" >&2
    echo "$report" >&2
    exit 1
fi
echo "lintian says (see the README's packaging notes):"
echo "${report:-  nothing}"

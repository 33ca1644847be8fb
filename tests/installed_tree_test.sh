#!/usr/bin/env bash
# Installs into a temporary DESTDIR, as the package is made, and checks what a desktop and
# the package tools read there: the menu entry, the AppStream metadata, every PNG icon of the
# size its folder names, and a manual page for every installed program.
#   installed_tree_test.sh <build dir>
set -euo pipefail
build=$1
destdir=$(mktemp -d)
trap 'rm -rf "$destdir"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done

DESTDIR=$destdir cmake --install "$build" --prefix /usr >/dev/null
usr=$destdir/usr
id=io.github.rv7342.RV7342

desktop-file-validate "$usr/share/applications/$id.desktop" || fail "the menu entry"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "the AppStream metadata: $(appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml")"

# A PNG's width and height stand big-endian in bytes 16 to 23.
png_size() {
    local bytes
    read -ra bytes < <(od -An -tu1 -j16 -N8 "$1")
    echo "$(((bytes[2] << 8) + bytes[3]))x$(((bytes[6] << 8) + bytes[7]))"
}
for size in 48x48 64x64 128x128 256x256; do
    icon="$usr/share/icons/hicolor/$size/apps/$id.png"
    [ -f "$icon" ] || { fail "no $size icon"; continue; }
done
while IFS= read -r icon; do
    folder=$(basename "$(dirname "$(dirname "$icon")")")
    [ "$(png_size "$icon")" = "$folder" ] || fail "$icon is $(png_size "$icon")"
done < <(find "$usr/share/icons" -name '*.png')
[ -f "$usr/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"

programs=0
for program in "$usr"/bin/*; do
    programs=$((programs + 1))
    name=$(basename "$program")
    page="$usr/share/man/man1/$name.1.gz"
    [ -s "$page" ] && gzip -t "$page" || fail "no manual page for $name"
    zcat "$page" | grep -q "^\.TH $(echo "$name" | tr a-z A-Z) 1" || fail "$page is not $name's"
done
[ "$programs" -ge 2 ] || fail "only $programs programs installed"
[ -f "$usr/share/rv7342/unit2.dat" ] || fail "no shared unit2.dat"
[ -f "$usr/share/doc/rv7342/copyright" ] && [ -f "$usr/share/doc/rv7342/changelog.gz" ] ||
    fail "no copyright or changelog"
[ "$failures" -eq 0 ] || exit 1
echo "the installed tree of $programs programs is complete and valid"

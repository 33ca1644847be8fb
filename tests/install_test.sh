#!/usr/bin/env bash
# Installs into a fresh prefix as the README says, then runs the program from the command of
# its menu entry: it must find its unit names and write its data file in its own folder.
#   install_test.sh <build dir> <rv7342-sim>
set -euo pipefail
unset QT_QPA_PLATFORM  # the program must show a real window on the virtual display
build=$1
simulator=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
entry="$prefix/share/applications/rv7342.desktop"
[ -f "$entry" ] || fail "no menu entry"
program=$(sed -n 's/^Exec="\(.*\)" %f$/\1/p' "$entry") # %f: a file to open, if any
[ "$program" = "$prefix/lib/rv7342/rv7342" ] || fail "the menu entry runs '$program'"
[ -f "$(dirname "$program")/unit2.dat" ] || fail "unit2.dat is not beside the program"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$icon" ] || fail "no icon at '$icon'"
! ldd "$program" | grep -q "$(cd "$build" && pwd)" || fail "the program needs the build tree"

# The command-line program where a shell finds it, with its manual page and the window's units.
cli="$prefix/bin/rv7342-cli"
[ -x "$cli" ] || fail "rv7342-cli is not in bin"
[ -f "$prefix/share/man/man1/rv7342-cli.1" ] || fail "no manual page of rv7342-cli"
printf '1,12.34,5,0,0\r\n' >"$prefix/one.dat"
env -u DISPLAY -u WAYLAND_DISPLAY "$cli" stats "$prefix/one.dat" | grep -q "^A AC	first	1	" ||
    fail "rv7342-cli does not name the units from the window's folder"

bash "$(dirname "$0")/program_test.sh" "$program" "$simulator" --in-place
ls "$(dirname "$program")"/*.dat | grep -qv unit2.dat || fail "no data file in the program folder"

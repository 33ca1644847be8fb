#!/usr/bin/env bash
# Installs into a fresh prefix as the README says, then runs the program from the command of
# its menu entry, in a home of its own: it must read the installation's unit names and write
# its data file into the RV7342 folder of the user's documents, which it makes.
#   install_test.sh <build dir> <rv7342-sim>
set -euo pipefail
unset QT_QPA_PLATFORM  # the program must show a real window on the virtual display
build=$1
simulator=$2
prefix=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$prefix" "$home"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
entry="$prefix/share/applications/io.github.rv7342.RV7342.desktop"
[ -f "$entry" ] || fail "no menu entry"
command=$(sed -n 's/^Exec=\(.*\) %f$/\1/p' "$entry") # %f: a file to open, if any
[ "$command" = rv7342 ] || fail "the menu entry runs '$command'"
program="$prefix/bin/$command"
[ ! -e "$prefix/bin/unit2.dat" ] || fail "unit2.dat lies beside the installed program"
! ldd "$program" | grep -q "$(cd "$build" && pwd)" || fail "the program needs the build tree"
[ "$("$program" --version)" = "rv7342 $(sed -n 's/^rv7342 (\(.*\)).*/\1/p;q' \
    "$(dirname "$0")/../packaging/changelog")" ] || fail "--version says '$("$program" --version)'"
# --help and --version need no display; a wrong option is said as the platform's programs say it.
"$program" --help | grep -q '^Usage: rv7342 \[options\] \[FILE\.\.\.\]$' || fail "--help: $("$program" --help)"
status=0
QT_QPA_PLATFORM=offscreen "$program" --frobnicate 2>"$home/error" || status=$?
[ "$status" = 2 ] && grep -q "^rv7342: Unknown option 'frobnicate'" "$home/error" ||
    fail "a wrong option gave status $status and: $(cat "$home/error")"

# The command-line program where a shell finds it, with its manual page and the window's units.
cli="$prefix/bin/rv7342-cli"
[ -x "$cli" ] || fail "rv7342-cli is not in bin"
[ -f "$prefix/share/man/man1/rv7342-cli.1.gz" ] || fail "no manual page of rv7342-cli"
printf '1,12.34,5,0,0\r\n' >"$home/one.dat"
HOME=$home env -u DISPLAY -u WAYLAND_DISPLAY "$cli" stats "$home/one.dat" | grep -q "^A AC	first	1	" ||
    fail "rv7342-cli does not name the units from the installation's table"

HOME=$home XDG_CONFIG_HOME="$home/.config" \
    bash "$(dirname "$0")/program_test.sh" "$program" "$simulator" --in-place "$home/Documents/RV7342"
ls "$home/Documents/RV7342/"*.dat >/dev/null 2>&1 || fail "no data file in ~/Documents/RV7342"
[ -z "$(ls "$prefix/bin" | grep '\.dat$')" ] || fail "a data file in the program's folder"

#!/usr/bin/env bash
# The built program started with a data file on its command line, as a file manager's
# "Open With" starts it, in the dark theme: the main window comes up as usual, and a readings
# window beside it shows the file's statistics. Copies them with the keyboard, checks them on
# the clipboard, and ends the program with File > Exit. A theme it does not know is a usage
# error, told without a display.
#   open_file_test.sh <rv7342>
set -euo pipefail
program=$1
work=$(mktemp -d)
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# How long any wait lasts before the test fails: generous for the sanitizer build on a loaded
# machine, and well below the test's TIMEOUT.
deadline=60
find_window() { timeout "$deadline" xdotool search --sync --onlyvisible --name "$1" | head -n 1 || true; }

cp "$program" "$(dirname "$program")/unit2.dat" "$work/"
# First values in V DC: 2, 4, 4, 4, 5, 5, 7, 9 (mean 5, sample deviation 2.13809) and two
# that are no measurement; two in unit 57, which has no name; the second display measured
# only in V AC.
printf '%s\r\n' 1,2,0,0,0 2,4,0,0,0 3,4,0,50,1 4,4,57,0,0 5,4,0,0,0 6,5,0,0,0 7,1E+39,0,0,0 \
    8,5,0,0,0 9,7,0,60,1 10,9,0,0,0 11,-3.5,57,0,0 12,-1E+400,0,0,0 >"$work/known.dat"

cd "$work"
status=0
error=$(env -u DISPLAY -u WAYLAND_DISPLAY ./rv7342 --theme purple known.dat 2>&1 >/dev/null) ||
    status=$?
[ "$status" = 2 ] || fail "--theme purple: exit status $status"
[ "$error" = "rv7342: unknown theme 'purple': choose system, light or dark
Try 'rv7342 --help' for more information." ] || fail "--theme purple said: $error"
# A control character in the name is told as U+FFFD, never sent to the terminal.
error=$(env -u DISPLAY -u WAYLAND_DISPLAY ./rv7342 --theme $'\e[2J' 2>&1 >/dev/null) || true
[ "$error" = "rv7342: unknown theme '"$'\xef\xbf\xbd'"[2J': choose system, light or dark
Try 'rv7342 --help' for more information." ] || fail "--theme with an escape said: $error"
env -u DISPLAY ./rv7342 --help | grep -q -- '--theme <THEME>' || fail "--help tells no --theme"

./rv7342 --theme dark known.dat &
program_pid=$!
window=$(find_window '^RV7342 for Windows$')
[ -n "$window" ] || fail "no main window"
readings=$(find_window '^known.dat - Readings$')
[ -n "$readings" ] || fail "no readings window"

xdotool windowfocus --sync "$readings" key alt+c # Copy statistics
statistics=""
end=$((SECONDS + deadline))
until statistics=$(xclip -o -selection clipboard 2>/dev/null) || [ "$SECONDS" -ge "$end" ]; do
    sleep 0.1
done
expected=$(printf '%s\n' \
    "All 12 readings" \
    "Series	Count	Minimum	Maximum	Mean	Std. deviation	First reading	Last reading	Left out" \
    "V DC	8	2	9	5	2.13809	1	12	2" \
    "unit 57	2	-3.5	4	0.25	5.303301	4	11	0" \
    "V AC (second display)	2	50	60	55	7.071068	3	9	0")
[ "$statistics" = "$expected" ] || fail "the statistics read: $statistics"

xdotool windowfocus --sync "$window" key alt+f x # File > Exit
end=$((SECONDS + deadline))
while kill -0 "$program_pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ]; do
    sleep 0.1
done
! kill -0 "$program_pid" 2>/dev/null || fail "File > Exit did not end the program"
wait "$program_pid" || fail "the program exited with an error"
program_pid=""
echo "statistics of known.dat as expected"

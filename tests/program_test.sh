#!/usr/bin/env bash
# The built program as a user runs it: on a virtual display, COM2 wired to the simulated meter.
# Clicks Start, lets the meter send its memory, clicks View Data and Exit, and checks that the
# data file holds exactly the readings the meter sent and that the program ended by itself.
#   program_test.sh <rv7342> <rv7342-sim> [--in-place [data folder]]
# The program runs from a copy of its folder, so that no data file lands in the build tree;
# with --in-place it runs where it is and writes its data file there, or into the data
# folder given (that of an installed program).
set -euo pipefail
unset QT_QPA_PLATFORM  # the program must show a real window on the virtual display
program=$1
simulator=$2
work=$(mktemp -d)
if [ "${3:-}" = "--in-place" ]; then
    folder=$(dirname "$program")
else
    folder=$work
    cp "$program" "$(dirname "$program")/unit2.dat" "$folder/"
fi
simulator_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$simulator_pid" ] && kill "$simulator_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# How long any wait lasts before the test fails: generous for the sanitizer build on a loaded
# machine, and well below the test's TIMEOUT.
deadline=60

# Waits up to the deadline for the command given to succeed.
wait_for() {
    local end=$((SECONDS + deadline))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# Clicks the centre of a control given in pixels of the client area, under the menu bar.
click() { xdotool mousemove --window "$window" "$1" "$(($2 + menu_height))" click 1; }

"$simulator" --once --fast --delay 0.3 --frames 300 --seed 11 --expect "$work/expected.dat" \
    >"$work/simulator.out" </dev/null &
simulator_pid=$!
wait_for test -s "$work/simulator.out" || fail "the simulator printed no device"
device=$(head -n 1 "$work/simulator.out")

# The data file is named by the day the program starts: at midnight, either of two.
day_before=$(date +%y%m%d)
RV7342_COM2=$device "$folder/rv7342" &
program_pid=$!
window=$(timeout "$deadline" xdotool search --sync --onlyvisible --name '^RV7342 for Windows$' | head -n 1 || true)
[ -n "$window" ] || fail "no window"
eval "$(xdotool getwindowgeometry --shell "$window")"
menu_height=$((HEIGHT - 569)) # the client area is 569 pixels high at 96 dpi
data_folder=${4:-$folder}
day_after=$(date +%y%m%d)
downloaded() {
    for day in "$day_before" "$day_after"; do
        cmp -s "$data_folder/$day.dat" "$work/expected.dat" && data=$data_folder/$day.dat && return 0
    done
    return 1
}

click 572 404  # Start
wait_for downloaded ||
    fail "the data file differs from what the meter sent: $(cmp "$data_folder/$day_after.dat" "$work/expected.dat" 2>&1)"
wait "$simulator_pid" || fail "the simulator failed"
simulator_pid=""

click 572 452  # View Data
kill -0 "$program_pid" 2>/dev/null || fail "the program ended after View Data"
xdotool windowfocus --sync "$window" key alt+v p  # View > Plot readings
readings=$(timeout "$deadline" xdotool search --sync --onlyvisible --name "^$(basename "$data") - Readings\$" |
    head -n 1 || true)
[ -n "$readings" ] || fail "View > Plot readings opened no readings window"
xdotool windowfocus --sync "$readings" key ctrl+w # it may stand over the Exit button
wait_for bash -c "! xdotool search --onlyvisible --name ' - Readings\$' >/dev/null" ||
    fail "Ctrl+W did not close the readings window"
click 572 500  # Exit
wait_for bash -c "! kill -0 $program_pid 2>/dev/null" || fail "Exit did not end the program"
wait "$program_pid" || fail "the program exited with an error"
program_pid=""
echo "downloaded $(wc -l <"$data") readings"

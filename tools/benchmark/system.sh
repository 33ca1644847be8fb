#!/usr/bin/env bash
# Measures the built program driven like a user, with the simulated meter on a pseudo-terminal
# behind COM2, under a virtual X server:
#   - start-up time until the window is shown;
#   - CPU use while a transfer waits on a silent line, and while it receives at line speed;
#   - the throughput of a whole download of a full memory sent as fast as the link takes;
#   - peak memory (VmHWM) after that memory is shown with View Data.
# Each run uses a fresh copy of the program folder, so data files land in a temporary folder.
#
# Usage: tools/benchmark/system.sh [build-dir]   (default: build; needs app/ and tools/rv7342-sim)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    source "$ROOT/scripts/packages.sh"
    ensure_packages xvfb xauth xdotool
    # Without -noreset the server resets whenever its last client (an xdotool call) leaves,
    # and drops a program that connects just then.
    exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$0" "$BUILD"
fi

PROGRAM=$BUILD/app/rv7342
SIM=$BUILD/tools/rv7342-sim
for file in "$PROGRAM" "$BUILD/app/unit2.dat" "$SIM"; do
    [ -e "$file" ] || { echo "Missing $file: build the program and the simulator first." >&2; exit 1; }
done

TITLE="RV7342 for Windows"
FULL_MEMORY=32767
LINE_BYTES_PER_SECOND=960
TICKS_PER_SECOND=$(getconf CLK_TCK)
WORK=$(mktemp -d)

# Ends the simulators and programs that this script started and that still run.
cleanup() {
    local pid
    for pid in $(jobs -p); do
        stop "$pid"
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

# Wall-clock time in seconds, without starting a process.
now() { echo "$EPOCHREALTIME"; }
# calc EXPRESSION: floating-point arithmetic, three decimals.
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

# wait_until SECONDS COMMAND...: polls COMMAND every 5 ms; fails after SECONDS (an integer).
wait_until() {
    local deadline=$((${EPOCHREALTIME/./} + $1 * 1000000))
    shift
    until "$@"; do
        if ((${EPOCHREALTIME/./} > deadline)); then
            echo "Timed out waiting for: $*" >&2
            return 1
        fi
        sleep 0.005
    done
}

# A fresh program folder; prints its path.
program_dir() {
    local dir
    dir=$(mktemp -d "$WORK/program.XXXX")
    cp "$PROGRAM" "$BUILD/app/unit2.dat" "$dir/"
    echo "$dir"
}

# start_sim OUTPUT OPTION...: starts the simulator; SIM_PID and DEVICE are set.
start_sim() {
    local output=$1
    shift
    "$SIM" "$@" >"$output" 2>&1 </dev/null &
    SIM_PID=$!
    wait_until 10 test -s "$output"
    DEVICE=$(head -n 1 "$output")
}

# start_program DIR [DEVICE]: starts the program; PROGRAM_PID is set.
start_program() {
    RV7342_COM2=${2:-/dev/null} "$1/rv7342" >"$1/output.txt" 2>&1 </dev/null &
    PROGRAM_PID=$!
}

shown_window() {
    xdotool search --onlyvisible --all --pid "$PROGRAM_PID" --name "$TITLE" 2>/dev/null | head -n 1
}
window_shown() { [ -n "$(shown_window)" ]; }

stop() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# The Start button has the keyboard focus when the window opens.
press_start() { xdotool key --window "$(shown_window)" space 2>/dev/null; }

# Clicks View Data: placed at 7920,6600 twips, 1335 by 375, in a client area 11520 twips wide.
click_view_data() {
    local window width
    window=$(shown_window)
    width=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ { split($2, size, "x"); print size[1] }')
    xdotool mousemove --window "$window" "$(calc "(7920 + 1335 / 2) * $width / 11520")" \
        "$(calc "(6600 + 375 / 2) * $width / 11520")" click 1 2>/dev/null
}

# User plus system CPU time of a process, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

# cpu_percent PID SECONDS: the process's CPU use over SECONDS of wall-clock time.
cpu_percent() {
    local ticks start
    ticks=$(cpu_ticks "$1")
    start=$(now)
    sleep "$2"
    calc "($(cpu_ticks "$1") - $ticks) / $TICKS_PER_SECOND / ($(now) - $start) * 100"
}

status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }
sim_said() { grep -q "$2" "$1"; }
data_file() { find "$1" -maxdepth 1 -name '*.dat' ! -name unit2.dat | head -n 1; }
has_lines() { local file; file=$(data_file "$1"); [ -n "$file" ] && [ "$(wc -l <"$file")" -eq "$2" ]; }

# Downloads a memory with the simulator's OPTIONs into a fresh program folder; returns once the
# program has opened the port. PROGRAM_DIR and SIM_OUTPUT are set.
begin_download() {
    PROGRAM_DIR=$(program_dir)
    SIM_OUTPUT=$PROGRAM_DIR/sim.txt
    start_sim "$SIM_OUTPUT" --once "$@"
    start_program "$PROGRAM_DIR" "$DEVICE"
    wait_until 20 window_shown
    press_start
    wait_until 20 sim_said "$SIM_OUTPUT" "The program opened the port"
}

# end_download FRAMES: waits for the program to close the port with FRAMES records in its file.
end_download() {
    wait_until 600 sim_said "$SIM_OUTPUT" "The program closed the port"
    wait_until 10 has_lines "$PROGRAM_DIR" "$1"
}

# Polled every 5 ms rather than with "xdotool search --sync", which looks only twice a second.
measure_startup() {
    local dir start times=() run
    for run in 0 1 2 3 4 5; do
        dir=$(program_dir)
        start=$(now)
        start_program "$dir"
        wait_until 20 window_shown
        [ "$run" -eq 0 ] || times+=("$(calc "($(now) - $start) * 1000")")  # run 0 warms the caches
        stop "$PROGRAM_PID"
    done
    STARTUP_MS=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
    STARTUP_RUNS="${times[*]}"
}

measure_silent_line() {
    begin_download --delay 86400
    sleep 1
    SILENT_CPU=$(cpu_percent "$PROGRAM_PID" 10)
    stop "$PROGRAM_PID"
    stop "$SIM_PID"
}

measure_line_speed() {
    local frames=900  # 15 s at line speed
    begin_download --frames "$frames" --delay 0
    sleep 2
    RECEIVING_CPU=$(cpu_percent "$PROGRAM_PID" 10)
    sim_said "$SIM_OUTPUT" "^Sent " && { echo "The memory was sent before the measurement ended." >&2; exit 1; }
    end_download "$frames"
    stop "$PROGRAM_PID"
}

# Downloads a full memory as fast as the link takes: DOWNLOAD_SECONDS and DOWNLOAD_CPU are set,
# and the program is left running with the records in its data file.
download_full_memory() {
    local start ticks
    begin_download --frames "$FULL_MEMORY" --delay 0 --fast
    # Polled without a pause: the clock starts here.
    until sim_said "$SIM_OUTPUT" "^RESET: sending"; do
        kill -0 "$SIM_PID" || { echo "The simulator ended before RESET." >&2; exit 1; }
    done
    start=$(now)
    ticks=$(cpu_ticks "$PROGRAM_PID")
    end_download "$FULL_MEMORY"
    DOWNLOAD_SECONDS=$(calc "$(now) - $start")
    DOWNLOAD_CPU=$(calc "($(cpu_ticks "$PROGRAM_PID") - $ticks) / $TICKS_PER_SECOND / $DOWNLOAD_SECONDS * 100")
    FULL_BYTES=$(sed -n 's/^RESET: sending \([0-9]*\) bytes.*/\1/p' "$SIM_OUTPUT")
}

# Five downloads; the median one counts. The last one is then shown with View Data.
measure_full_memory() {
    local run results=()
    for run in 1 2 3 4 5; do
        [ "$run" -eq 1 ] || stop "$PROGRAM_PID"
        download_full_memory
        results+=("$DOWNLOAD_SECONDS $DOWNLOAD_CPU")
    done
    read -r FULL_SECONDS FULL_CPU < <(printf '%s\n' "${results[@]}" | sort -n | sed -n 3p)
    FULL_RUNS=$(printf '%s\n' "${results[@]}" | awk '{ printf "%s%s", sep, $1; sep = " " }')
    FULL_RATE=$(calc "$FULL_BYTES / $FULL_SECONDS")
    FULL_MULTIPLE=$(calc "$FULL_BYTES / $FULL_SECONDS / $LINE_BYTES_PER_SECOND")
    HWM_BEFORE_VIEW=$(status_kb "$PROGRAM_PID" VmHWM)
    click_view_data
    # The table is filled inside the click handler: wait until the program is idle again.
    local before=-1
    until [ "$before" = "$(cpu_ticks "$PROGRAM_PID")" ]; do
        before=$(cpu_ticks "$PROGRAM_PID")
        sleep 0.5
    done
    HWM_AFTER_VIEW=$(status_kb "$PROGRAM_PID" VmHWM)
    stop "$PROGRAM_PID"
}

measure_startup
measure_silent_line
measure_line_speed
measure_full_memory

cat <<EOF
Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p')
Start-up to window shown:            $STARTUP_MS ms median (runs: $STARTUP_RUNS ms)
CPU, transfer waiting, silent line:  $SILENT_CPU % over 10 s
CPU, receiving at 960 bytes/s:       $RECEIVING_CPU % over 10 s
Full memory, simulator --fast:       $FULL_BYTES bytes in $FULL_SECONDS s median (runs: $FULL_RUNS s)
                                     = $FULL_RATE bytes/s = ${FULL_MULTIPLE}x line speed, CPU $FULL_CPU %
Peak memory (VmHWM):                 $HWM_BEFORE_VIEW kB after the download, $HWM_AFTER_VIEW kB after View Data of $FULL_MEMORY records
EOF

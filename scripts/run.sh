#!/usr/bin/env bash
# Builds the program and starts it wired to the simulated meter: COM2 is a pseudo-terminal on
# which rv7342-sim plays an RV7342 that was told to send its memory (RESET) three seconds
# after the port opens, at the real line speed. The simulator ends with the window.
#   --meter   start the program alone, for a real meter on COM1 or COM2
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}"

configure_and_build "$ROOT/build" -DBUILD_TESTING=OFF
program="$ROOT/build/app/rv7342"
if [ "${1:-}" = "--meter" ]; then
    exec "$program"
fi

simulator_output=$(mktemp)
"$ROOT/build/tools/rv7342-sim" --delay 3 --frames 500 >"$simulator_output" </dev/null &
simulator=$!
trap 'kill $simulator 2>/dev/null; wait $simulator 2>/dev/null; rm -f "$simulator_output"' EXIT
device=""
for _ in $(seq 100); do
    device=$(head -n 1 "$simulator_output")
    [ -n "$device" ] && break
    sleep 0.05
done
[ -n "$device" ] || { echo "The simulated meter did not start." >&2; exit 1; }
echo "Simulated meter on $device as COM2: press Start, and it sends 500 readings 3 s later."
RV7342_COM2=$device "$program"

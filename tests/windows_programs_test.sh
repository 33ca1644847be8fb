#!/usr/bin/env bash
# The Windows programs under wine, run as a user runs them (on a virtual display):
# - rv7342-cli.exe decode writes the Linux program's data file byte for byte from captures (a
#   whole memory, noise, a cut end, the transfer machine's fuzz inputs), with the same exit
#   status, and stats tells the same figures;
# - download --port COM2, wine's com2 linked to a pseudo-terminal, opens the port and ends as
#   the Linux program does when nothing arrives; Ctrl+C stops it with status 130; a COM with
#   nothing behind it is named with exit status 2;
# - the installer (with /S) into a fresh wine prefix: the installed programs answer --version,
#   the window shows "RV7342 for Windows", and the uninstaller removes the programs but leaves
#   the data files in Documents\RV7342.
#   windows_programs_test.sh <rv7342-cli.exe> <rv7342.exe> <Linux rv7342-cli> <source folder>
#       <build folder, holding the installer>
# QSerialPort receives nothing under wine, so no bytes are sent over the port here; decode
# runs the download's transfer machine on the bytes instead.
set -euo pipefail
unset QT_QPA_PLATFORM
# Names in any language reach wine's programs as the bytes of a UTF-8 locale.
export LC_ALL=C.UTF-8
cli=$1
window=$2
linux_cli=$3
source=$4
build=$5
work=$(mktemp -d)
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# A home of its own: wine links the prefix's Documents to the home's.
export HOME=$work/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"

# --- decode and stats: the Windows program against the Linux one --------------------------
mkdir -p "$work/captures" "$work/linux"
# A message with its data file's folder left out, and Windows' line ends.
message() { tr -d '\r' <"$1" | sed -E 's#(Z:[^ ]*\\|/[^ ]*/)([^/\\ ]+\.dat)#\2#g'; }
python3 - "$work/captures" <<'EOF'
import sys
out = sys.argv[1]
def frame(digits):
    return b"0" + digits.encode() + b"\r"
escapes = b"0" + b"\x1b" * 14 + b"\r"
head = b"x\x1b\x00\xc8\r"
two = frame("03051201231234")
noisy = two[:12] + b"A" + two[13:]
memory = head + two * 40 + frame("49991397712345") * 3 + escapes + escapes
captures = {
    "memory.bin": memory,
    "noise.bin": head + two + noisy + two + escapes + escapes,
    "cut.bin": memory[:-20],
    "cut_in_frame.bin": memory[: len(head) + 16 * 10 + 7],
    "garbled_end.bin": head + two * 3 + b"0" + b"\x1b" * 9 + b"\r" + two,
}
for name, data in captures.items():
    open(f"{out}/{name}", "wb").write(data)
EOF
cp "$source"/tools/fuzz/corpus/transfer/* "$work/captures/"
cd "$work/captures"
for capture in *; do
    status=0
    "$linux_cli" decode "$capture" "$work/linux/$capture.dat" 2>"$work/linux.err" || status=$?
    windows_status=0
    wine "$cli" decode "$capture" "$capture.dat" 2>"$work/windows.err" || windows_status=$?
    [ "$windows_status" = "$status" ] ||
        fail "decode $capture: status $windows_status, on Linux $status: $(cat "$work/windows.err")"
    if [ -e "$work/linux/$capture.dat" ]; then
        cmp "$capture.dat" "$work/linux/$capture.dat" || fail "decode $capture: not the Linux file"
    else
        [ ! -e "$capture.dat" ] || fail "decode $capture: a file written where Linux writes none"
    fi
    diff <(message "$work/windows.err") <(message "$work/linux.err") ||
        fail "decode $capture: the messages differ"
    if [ "$status" -ne 2 ] && [ -s "$capture.dat" ]; then
        diff <(wine "$cli" stats "$capture.dat" | tr -d '\r') <("$linux_cli" stats "$capture.dat") ||
            fail "stats $capture.dat differs"
    fi
    rm -f "$capture.dat"
done

# --- names in any language: a data file decoded, read and exported in such folders ---------
# The same cells in two workbooks, as openpyxl reads them.
same_workbooks() {
    /usr/bin/python3 - "$1" "$2" <<'EOF'
import sys, openpyxl
def cells(path):
    book = openpyxl.load_workbook(path)
    return {sheet.title: [[cell.value for cell in row] for row in sheet.iter_rows()]
            for sheet in book.worksheets}
sys.exit(0 if cells(sys.argv[1]) == cells(sys.argv[2]) else 1)
EOF
}
for name in Jürgen 张伟 Ελένη; do
    folder="$work/users/$name/Documents/RV7342"
    mkdir -p "$folder" "$work/linux/$name"
    cd "$folder"
    wine "$cli" decode "$(winepath -w "$work/captures/memory.bin")" "$name.dat" 2>/dev/null ||
        fail "decode into $folder"
    cmp "$name.dat" "$work/linux/memory.bin.dat" || fail "decode into $folder: not the Linux file"
    wine "$cli" stats "$name.dat" | tr -d '\r' >"$work/windows.stats" || fail "stats in $folder"
    wine "$cli" export "$name.dat" -o "$name.csv" 2>/dev/null || fail "CSV export in $folder"
    wine "$cli" export "$name.dat" -o "$name.xlsx" 2>/dev/null || fail "XLSX export in $folder"
    cp "$name.dat" "$work/linux/$name/"
    cd "$work/linux/$name"
    "$linux_cli" stats "$name.dat" | diff "$work/windows.stats" - || fail "stats in $folder differ"
    "$linux_cli" export "$name.dat" -o "$name.csv" && "$linux_cli" export "$name.dat" -o "$name.xlsx"
    cmp "$folder/$name.csv" "$name.csv" || fail "the CSV exported in $folder differs"
    same_workbooks "$folder/$name.xlsx" "$name.xlsx" || fail "the workbook in $folder differs"
done
cd "$work"

# --- the port: COM2 linked to a pseudo-terminal, COM9 with nothing behind it --------------
export WINEPREFIX=$work/prefix
wineboot --init >/dev/null 2>&1
python3 -c '
import os, pty, sys, time
master, slave = pty.openpty()
print(os.ttyname(slave), flush=True)
time.sleep(600)
' >"$work/pty" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/pty" ] && break; sleep 0.1; done
device=$(cat "$work/pty")
ln -sfn "$device" "$WINEPREFIX/dosdevices/com2"
cd "$work"
status=0
wine "$cli" download --port COM2 --wait 2 waited.dat 2>"$work/err" || status=$?
[ "$status" = 1 ] || fail "download on COM2: status $status: $(cat "$work/err")"
grep -q "Waiting for the meter on COM2: press RESET" "$work/err" || fail "$(cat "$work/err")"
grep -q "nothing arrived from the meter within 2 seconds" "$work/err" || fail "$(cat "$work/err")"
grep -q "no reading was received, no file was written" "$work/err" || fail "$(cat "$work/err")"
[ ! -e waited.dat ] || fail "a download that received nothing left a file"
linux_status=0
"$linux_cli" download --port "$device" --wait 2 waited-linux.dat 2>/dev/null || linux_status=$?
[ "$linux_status" = "$status" ] || fail "the Linux program ends with $linux_status"
[ ! -e waited-linux.dat ] || fail "the Linux program left a file"

status=0
wine "$cli" download --port '\\.\COM9' --wait 2 none.dat 2>"$work/err" || status=$?
[ "$status" = 2 ] || fail "download on COM9: status $status: $(cat "$work/err")"
grep -q "COM9" "$work/err" || fail "COM9 is not named: $(cat "$work/err")"
[ ! -e none.dat ] || fail "a data file was made though the port failed"

# Ctrl+C in the console: the download stops with status 130; what arrived is kept, here nothing,
# so no file is left.
wine "$cli" download --port COM2 stopped.dat 2>"$work/err" &
download=$!
for _ in $(seq 100); do grep -q "press RESET" "$work/err" && break; sleep 0.1; done
kill -INT "$download"
status=0
wait "$download" || status=$?
[ "$status" = 130 ] || fail "Ctrl+C: status $status: $(cat "$work/err")"
grep -q "it was stopped before the end of the meter's memory" "$work/err" || fail "$(cat "$work/err")"
[ ! -e stopped.dat ] || fail "a download stopped before any reading left a file"

# --- the installer, silent, into the fresh prefix -----------------------------------------
installer=$(ls "$build"/rv7342-*-win64.exe)
wine "$installer" /S
folder="$WINEPREFIX/drive_c/Program Files/RV7342"
for file in rv7342.exe rv7342-cli.exe unit2.dat LICENSE.txt readme.txt Uninstall.exe; do
    [ -e "$folder/$file" ] || fail "not installed: $file"
done
version=$(cat "$source/CMakeLists.txt" | sed -n 's/^project(rv7342 VERSION \([0-9.]*\).*/\1/p')
[ "$(wine "$folder/rv7342-cli.exe" --version | tr -d '\r')" = "rv7342-cli $version" ] ||
    fail "rv7342-cli --version"
[ "$(wine "$folder/rv7342.exe" --version | tr -d '\r')" = "rv7342 $version" ] ||
    fail "rv7342 --version"
find "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu" \
    "$WINEPREFIX/drive_c/users" -name "RV7342 Data Logger.lnk" | grep -q . ||
    fail "no Start-menu entry"
# Apps & features lists what the uninstall key names.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\RV7342'
wine reg query "$uninstall_key" /v DisplayName 2>/dev/null | grep -q "RV7342 Data Logger" ||
    fail "not listed in Apps & features"

wine "$folder/rv7342.exe" &
pids+=($!)
for _ in $(seq 300); do
    xdotool search --name "^RV7342 for Windows$" >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool search --name "^RV7342 for Windows$" >/dev/null || fail "the window did not show"

# A data file the installed program writes goes into Documents\RV7342.
documents=$(wine cmd /c echo %USERPROFILE% | tr -d '\r')
documents=$(winepath -u "$documents\\Documents")
mkdir -p "$documents/RV7342"
(cd "$documents/RV7342" && wine "$folder/rv7342-cli.exe" decode \
    "$(winepath -w "$work/captures/memory.bin")" kept.dat 2>/dev/null)
wineserver -k
wine "$folder/Uninstall.exe" /S
# The uninstaller runs on as a copy of itself and removes the files one after the other.
for _ in $(seq 600); do
    [ -e "$folder/rv7342.exe" ] || [ -e "$folder/rv7342-cli.exe" ] || break
    sleep 0.1
done
[ ! -e "$folder/rv7342.exe" ] || fail "the uninstaller left the program"
[ ! -e "$folder/rv7342-cli.exe" ] || fail "the uninstaller left rv7342-cli"
! wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "still listed in Apps & features"
cmp "$documents/RV7342/kept.dat" "$work/linux/memory.bin.dat" ||
    fail "the data file in Documents\\RV7342 is gone or changed"
echo "The Windows programs and their installer work under wine."

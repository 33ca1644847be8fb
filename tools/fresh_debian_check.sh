#!/usr/bin/env bash
# Tries the README's two commands as a new user would, on a minimal Debian 12 made with
# debootstrap: a clean clone of this repository's committed HEAD, run as root inside the
# chroot, nothing installed but what the commands install themselves. Needs root and
# debootstrap on the host.
#   tools/fresh_debian_check.sh [work folder]     (default /var/tmp/rv7342-fresh)
# A base system is made once and kept in <work folder>/base; every run copies it afresh.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK=${1:-/var/tmp/rv7342-fresh}
MIRROR=${MIRROR:-http://deb.debian.org/debian}
mkdir -p "$WORK"
if [ ! -x "$WORK/base/bin/bash" ]; then
    debootstrap --variant=minbase bookworm "$WORK/base" "$MIRROR"
fi

# Runs a command in a fresh copy of the base system, in a PID and mount namespace of its own
# (so its process list and its mounts of proc, /dev and /dev/pts end with it). The program is
# started on Qt's offscreen platform; the tests bring their own virtual display.
run_in_fresh_chroot() {
    local name=$1 command=$2 dir="$WORK/$1"
    rm -rf "$dir"
    cp -a "$WORK/base" "$dir"
    cp /etc/resolv.conf "$dir/etc/resolv.conf"
    git clone -q "$ROOT" "$dir/root/rv7342"
    local status=0
    unshare --pid --fork --mount bash -c '
        mount -t proc proc "$1/proc" && mount --bind /dev "$1/dev" &&
        mount --bind /dev/pts "$1/dev/pts" &&
        chroot "$1" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
            bash -c "cd /root/rv7342 && $2"' - "$dir" "$command" ||
        status=$?
    echo "== $name: exit status $status"
    return $status
}

# The program runs until its window is closed. It counts as started when, 20 s after its
# window process appeared, it still runs beside the simulated meter. A minimal system has no
# pgrep: processes are found by name in /proc.
run_in_fresh_chroot run '
    running() { grep -lx "$1" /proc/[0-9]*/comm 2>/dev/null | cut -d/ -f3; }
    QT_QPA_PLATFORM=offscreen bash scripts/run.sh & script=$!
    until [ -n "$(running rv7342)" ]; do kill -0 $script 2>/dev/null || exit 1; sleep 1; done
    sleep 20
    [ -n "$(running rv7342)" ] && [ -n "$(running rv7342-sim)" ] || exit 1
    kill $(running rv7342)
    echo "the program ran with the simulated meter"'
run_in_fresh_chroot test 'bash scripts/test.sh'

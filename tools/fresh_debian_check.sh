#!/usr/bin/env bash
# Tries the README's two commands as a new user would, on a minimal Debian 12, or Debian 13
# with RELEASE=trixie, made with debootstrap: a clean clone of this repository's committed
# HEAD, run as root inside the chroot, nothing installed but what the commands install
# themselves (see fresh_chroot.sh).
#   [RELEASE=trixie] tools/fresh_debian_check.sh [work folder]   (default /var/tmp/rv7342-fresh)
# The program is started on Qt's offscreen platform; the tests bring their own virtual
# display.
set -euo pipefail
source "$(dirname "$0")/fresh_chroot.sh"

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

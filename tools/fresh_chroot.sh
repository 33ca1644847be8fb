# Sourced by the fresh-system checks: a minimal Debian made once with debootstrap in
# $WORK/<release>/base (default /var/tmp/rv7342-fresh; RELEASE bookworm, Debian 12, unless
# RELEASE=trixie asks for Debian 13), copied afresh for every command. Needs root and
# debootstrap on the host.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tools/chroot_run.sh"
RELEASE=${RELEASE:-bookworm}
WORK=${1:-/var/tmp/rv7342-fresh}/$RELEASE
MIRROR=${MIRROR:-http://deb.debian.org/debian}
mkdir -p "$WORK"
if [ ! -x "$WORK/base/bin/bash" ]; then
    debootstrap --variant=minbase "$RELEASE" "$WORK/base" "$MIRROR"
fi

# A fresh copy of the base system in $WORK/<name>, able to reach the package mirror.
fresh_copy() {
    local dir="$WORK/$1"
    rm -rf "$dir"
    cp -a "$WORK/base" "$dir"
    cp /etc/resolv.conf "$dir/etc/resolv.conf"
}

# Runs a command as root in the copy <name>, from /root (see chroot_run.sh).
run_in_copy() {
    local name=$1 command=$2 status=0
    run_in_root "$WORK/$name" "$command" || status=$?
    echo "== $name: exit status $status"
    return $status
}

# Runs a command in a fresh copy that holds a clean clone of the repository's committed HEAD
# in /root/rv7342, from there.
run_in_fresh_chroot() {
    fresh_copy "$1"
    git clone -q "$ROOT" "$WORK/$1/root/rv7342"
    run_in_copy "$1" "cd /root/rv7342 && $2"
}

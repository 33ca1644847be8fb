# Sourced by the fresh-system checks and CI: a command run as root in a Debian system folder.

# run_in_root <system folder> <command> [<changes folder>]: runs the command there as root,
# from /root, in a PID and mount namespace of its own, so that its process list and its mounts
# of proc, /dev and /dev/pts end with it and the host is left with nothing mounted. Given a
# changes folder, the system folder stays as it is: the command sees it under an overlay whose
# changes go to <changes folder>/upper (which may hold files put there before) and whose root
# is <changes folder>/root. CI=true is passed on.
run_in_root() {
    local system=$1 command=$2 changes=${3:-}
    unshare --pid --fork --mount bash -c '
        set -e
        root=$1
        if [ -n "$3" ]; then
            root=$3/root
            mkdir -p "$3/upper" "$3/work" "$root"
            mount -t overlay overlay -o "lowerdir=$1,upperdir=$3/upper,workdir=$3/work" "$root"
        fi
        mount -t proc proc "$root/proc"
        mount --bind /dev "$root/dev"
        mount --bind /dev/pts "$root/dev/pts"
        exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
            ${4:+CI=$4} bash -c "cd /root && $2"' - "$system" "$command" "$changes" "${CI:-}"
}

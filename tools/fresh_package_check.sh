#!/usr/bin/env bash
# Tries the Debian package as its users meet it, on fresh minimal Debian 12 systems, or
# Debian 13 ones with RELEASE=trixie (see fresh_chroot.sh): in one, scripts/package.sh builds
# the .deb from a clean clone of HEAD; in a second, apt-get installs that .deb with its
# dependencies, and a user who is not root fetches a memory from the simulated meter with rv7342-cli (when the package has it), asks
# rv7342 for its version, starts the window on the offscreen platform, and downloads with it
# under a virtual display, clicking as a user does, into ~/Documents/RV7342/.
#   [RELEASE=trixie] tools/fresh_package_check.sh [work folder]   (default /var/tmp/rv7342-fresh)
set -euo pipefail
source "$(dirname "$0")/fresh_chroot.sh"

run_in_fresh_chroot package 'bash scripts/package.sh'
package=$(ls "$WORK"/package/root/rv7342/build/rv7342_*.deb)

fresh_copy install
cp "$package" "$WORK/install/root/"
# The window test's clicks, from the same commit, and the display it needs.
cp "$WORK/package/root/rv7342/tests/program_test.sh" "$WORK/install/root/"
run_in_copy install '
    set -e
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./rv7342_*.deb >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq xvfb xauth xdotool >/dev/null
    useradd -m meter
    cp program_test.sh /home/meter/
    runuser -u meter -- env -i HOME=/home/meter PATH=/usr/bin:/bin bash -c "
        set -e
        cd
        echo \"\$(rv7342 --version) is installed\"
        if command -v rv7342-cli >/dev/null; then
            rv7342-sim --once --fast --delay 0.3 --frames 200 --expect cli-expected.dat \
                >sim.out </dev/null &
            until [ -s sim.out ]; do sleep 0.1; done
            RV7342_COM2=\$(head -n 1 sim.out) rv7342-cli download --port COM2 cli.dat
            wait
            cmp cli.dat cli-expected.dat
            echo \"rv7342-cli downloaded \$(wc -l <cli.dat) readings\"
        else
            echo \"rv7342-cli is not in the package\"
        fi
        QT_QPA_PLATFORM=offscreen rv7342 & window=\$!
        sleep 5
        kill \$window
        echo \"the window ran on the offscreen platform\"
        xvfb-run -a -s \"-screen 0 1024x768x24 -dpi 96 -noreset\" bash program_test.sh \
            /usr/bin/rv7342 /usr/bin/rv7342-sim --in-place Documents/RV7342
        ls -l Documents/RV7342/
    "'

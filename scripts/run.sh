#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}"

configure_and_build "$ROOT/build"
exec "$ROOT/build/app/rv7342"

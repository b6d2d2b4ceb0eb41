#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts Brevanta.
# Arguments are passed to Brevanta (a file to open).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUVO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Brevanta is a desktop program and no display was found (DISPLAY and WAYLAND_DISPLAY"
    echo "are unset). Run this command from a graphical session, or under xvfb-run."
    exit 1
fi
exec "$build/apps/brevanta/brevanta" "$@"

#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts Brevanta, or Kelvo
# with --kelvo as the first argument. Other arguments are passed to the
# program (Brevanta: a file to open).
#
# Unless ZUVO_SERVICE_HOST names a ring service, the stand-in service of
# tools/ring-service runs in the background on 127.0.0.1:8765 while the
# program runs (tools/with-ring-service.sh): it prints the verification codes
# it "sends" here, and stops when the program exits. A stand-in already
# running there is used; the program is not started when anything else holds
# the port.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"
program=brevanta
name=Brevanta
if [ "${1:-}" = "--kelvo" ]; then
    shift
    program=kelvo
    name=Kelvo
fi

"$root/tools/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUVO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "$name is a desktop program and no display was found (DISPLAY and WAYLAND_DISPLAY"
    echo "are unset). Run this command from a graphical session, or under xvfb-run."
    exit 1
fi

ZUVO_RING_SERVICE_DATA="${ZUVO_RING_SERVICE_DATA:-$build/ring-service-data}" \
    exec "$root/tools/with-ring-service.sh" "$build/apps/$program/$program" "$@"

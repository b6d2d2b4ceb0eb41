#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts Brevanta, or Kelvo
# with --kelvo as the first argument. Other arguments are passed to the
# program (Brevanta: a file to open).
#
# Unless ZUVO_SERVICE_HOST names a ring service, the stand-in service of
# tools/ring-service runs in the background on 127.0.0.1:8765 (the build's
# default host) while the program runs; it prints the verification codes it
# "sends" here, and stops when the program exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"
service_port=8765
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

service_pid=""
stop_service() {
    if [ -n "$service_pid" ]; then
        kill "$service_pid" 2>/dev/null || true
        wait "$service_pid" 2>/dev/null || true
    fi
}

if [ -z "${ZUVO_SERVICE_HOST:-}" ]; then
    python3 "$root/tools/ring-service/ring_service.py" --port "$service_port" \
        --data-dir "$build/ring-service-data" &
    service_pid=$!
    trap stop_service EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    # Wait until it listens; it ends at once when the port is taken.
    for _ in $(seq 100); do
        if ! kill -0 "$service_pid" 2>/dev/null; then
            echo "The stand-in ring service did not start (is port $service_port in use?)."
            service_pid=""
            break
        fi
        if (exec 3<>"/dev/tcp/127.0.0.1/$service_port") 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
fi

"$build/apps/$program/$program" "$@"

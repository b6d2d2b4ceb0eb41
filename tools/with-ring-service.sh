#!/usr/bin/env bash
# Runs PROGRAM [ARGS...] with a ring service to talk to (tools/run.sh uses it
# for both programs).
#
# Unless ZUVO_SERVICE_HOST names a ring service, the stand-in service of
# tools/ring-service runs in the background on 127.0.0.1:8765 (another port
# with ZUVO_RING_SERVICE_PORT) while PROGRAM runs; it prints the verification
# codes it "sends" here, and stops when PROGRAM exits. When the port is taken
# by a stand-in that already runs, PROGRAM uses that one; when it is taken by
# anything else, PROGRAM is not started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$#" -eq 0 ]; then
    echo "usage: $0 PROGRAM [ARGS...]" >&2
    exit 2
fi
if [ -n "${ZUVO_SERVICE_HOST:-}" ]; then
    exec "$@"
fi

port="${ZUVO_RING_SERVICE_PORT:-8765}"
data="${ZUVO_RING_SERVICE_DATA:-$root/build/ring-service-data}"

listening() {
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null
}

# Whether what listens on the port is the stand-in: it names itself in its
# replies' Server header.
is_stand_in() {
    python3 - "$port" 2>/dev/null <<'PY'
import http.client
import sys

try:
    connection = http.client.HTTPConnection("127.0.0.1", int(sys.argv[1]), timeout=3)
    connection.request("POST", "/_control/state", body=b"{}")
    server = connection.getresponse().getheader("Server") or ""
except Exception:
    sys.exit(1)
sys.exit(0 if server.startswith("ZuvoRingService/") else 1)
PY
}

export ZUVO_SERVICE_HOST="127.0.0.1:$port"
if listening; then
    if is_stand_in; then
        echo "The stand-in ring service already runs on 127.0.0.1:$port; using it."
        exec "$@"
    fi
    echo "Port $port is taken by a program that is not the stand-in ring service;" \
        "not starting. Free the port, or set ZUVO_SERVICE_HOST to a ring service." >&2
    exit 1
fi

service_pid=""
stop_service() {
    if [ -n "$service_pid" ]; then
        kill "$service_pid" 2>/dev/null || true
        wait "$service_pid" 2>/dev/null || true
    fi
}
python3 "$root/tools/ring-service/ring_service.py" --port "$port" --data-dir "$data" &
service_pid=$!
trap stop_service EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# Wait until it listens; it ends at once, saying why, when it cannot.
started=""
for _ in $(seq 100); do
    if ! kill -0 "$service_pid" 2>/dev/null; then
        service_pid=""
        break
    fi
    if listening; then
        started=1
        break
    fi
    sleep 0.1
done
if [ -z "$started" ]; then
    echo "The stand-in ring service did not start on 127.0.0.1:$port; not starting." >&2
    exit 1
fi

status=0
"$@" || status=$?
exit "$status"

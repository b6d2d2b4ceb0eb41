#!/usr/bin/env bash
# tools/with-ring-service.sh (what tools/run.sh starts Brevanta through) with
# the service port free, held by a running stand-in, and held by another
# program: the program runs against the stand-in in the first two cases; in
# the last it is not started and one line says why. No case prints a Python
# traceback, and the stand-in itself refuses a taken port in one line.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
holder=""
cleanup() {
    if [ -n "$holder" ]; then
        kill "$holder" 2>/dev/null || true
        wait "$holder" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export ZUVO_RING_SERVICE_PORT="$port" ZUVO_RING_SERVICE_DATA="$work/data"
unset ZUVO_SERVICE_HOST

# The program: records the service host it was given.
cat >"$work/program" <<PROGRAM
#!/bin/sh
echo "\$ZUVO_SERVICE_HOST" >"$work/ran"
PROGRAM
chmod +x "$work/program"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
listening() {
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null
}
wait_listening() {
    for _ in $(seq 100); do
        listening && return 0
        sleep 0.1
    done
    return 1
}
stop_holder() {
    kill "$holder" 2>/dev/null || true
    wait "$holder" 2>/dev/null || true
    holder=""
}
# run NAME: the script's status, its output in $work/NAME.out.
run() {
    rm -f "$work/ran"
    status=0
    "$root/tools/with-ring-service.sh" "$work/program" >"$work/$1.out" 2>&1 || status=$?
    if grep -q Traceback "$work/$1.out"; then
        fail "$1: a traceback"
    fi
}

# Free: a stand-in is started for the program and gone after it.
run free
[ "$status" -eq 0 ] || fail "free: status $status"
[ "$(cat "$work/ran" 2>/dev/null)" = "127.0.0.1:$port" ] || fail "free: the program did not run against the stand-in"
listening && fail "free: the stand-in outlived the program"

# Held by a stand-in: used as it is, and left running.
python3 "$root/tools/ring-service/ring_service.py" --port "$port" --data-dir "$work/held" \
    >/dev/null 2>&1 &
holder=$!
wait_listening || fail "the stand-in did not start"
run ours
[ "$status" -eq 0 ] || fail "ours: status $status"
[ "$(cat "$work/ran" 2>/dev/null)" = "127.0.0.1:$port" ] || fail "ours: the program did not run"
[ "$(wc -l <"$work/ours.out")" -eq 1 ] || fail "ours: not one line: $(cat "$work/ours.out")"
kill -0 "$holder" 2>/dev/null || fail "ours: the running stand-in was stopped"

# The stand-in itself on a taken port: one line, status 2.
status=0
python3 "$root/tools/ring-service/ring_service.py" --port "$port" --data-dir "$work/second" \
    >"$work/second.out" 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "second stand-in: status $status"
[ "$(wc -l <"$work/second.out")" -eq 1 ] || fail "second stand-in: $(cat "$work/second.out")"
grep -q Traceback "$work/second.out" && fail "second stand-in: a traceback"
stop_holder

# Held by another program: not started, one line.
python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1 &
holder=$!
wait_listening || fail "the other program did not start"
run foreign
[ "$status" -ne 0 ] || fail "foreign: status 0"
[ -e "$work/ran" ] && fail "foreign: the program was started against another program"
[ "$(wc -l <"$work/foreign.out")" -eq 1 ] || fail "foreign: not one line: $(cat "$work/foreign.out")"
grep -q "$port" "$work/foreign.out" || fail "foreign: the line does not name the port"
stop_holder

for name in free ours foreign; do
    echo "--- $name"
    cat "$work/$name.out"
done
exit "$failures"

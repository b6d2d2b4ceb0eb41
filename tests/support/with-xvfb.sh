#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) of its own. The server picks a
# free display number itself, so runs in parallel never race for one, and
# DISPLAY from the calling session (set or not) is never used.
set -euo pipefail

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
number=
if ! read -r -t 20 number <"$work/display" || [ -z "$number" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi

export DISPLAY=":$number"
export QT_QPA_PLATFORM=xcb
# No OpenGL: the tests look at widgets, not at GL, and through the GL
# integration Qt would load whatever GL driver this machine has (Mesa's
# software driver on a bare one). That driver leaks at its unload, before the
# leak checker looks, so a listing or a test would pass or fail with the
# machine. Qt Quick (the web view's widget) then draws in software as well.
export QT_XCB_GL_INTEGRATION=none
export QT_QUICK_BACKEND=software
unset WAYLAND_DISPLAY XAUTHORITY
status=0
"$@" || status=$?
exit "$status"

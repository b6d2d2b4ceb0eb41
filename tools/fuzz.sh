#!/usr/bin/env bash
# Builds the fuzz targets and runs them.
#   tools/fuzz.sh TARGET SECONDS [libFuzzer options...]   one target, as long as wanted
#   tools/fuzz.sh --all SECONDS [JOBS]                     every target, JOBS at a time
#   tools/fuzz.sh --list                                   the targets
# Inputs that crash are kept under build/fuzz/findings/TARGET; the corpus grows
# in build/fuzz/corpus/TARGET, starting from the seeds of tools/fuzz-seeds.sh.
# Exits non-zero when a target found a crash, a leak or a hang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
bin="$build/fuzz"

build_targets() {
    "$root/tools/build-id3lib.sh"
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DZUVO_FUZZ=ON >/dev/null
    cmake --build "$build"
    "$root/tools/fuzz-seeds.sh" "$build/seeds"
}

targets() {
    find "$bin" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x -printf '%f\n' | sort
}

# run_one TARGET SECONDS [options...]: the log goes to build/fuzz/logs/TARGET.log.
run_one() {
    local target=$1 seconds=$2
    shift 2
    local corpus="$build/corpus/$target" findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings" "$build/logs"
    local seeds=()
    [ -d "$build/seeds/$target" ] && seeds=("$build/seeds/$target")
    # Every sanitizer report is fatal and leaks count, whatever the caller's
    # environment says; ZUVO_FUZZ_ASAN_OPTIONS adds to it.
    ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1${ZUVO_FUZZ_ASAN_OPTIONS:+:$ZUVO_FUZZ_ASAN_OPTIONS}" \
    LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$root/fuzz/ubsan.supp" \
    QT_QPA_PLATFORM=offscreen \
        "$bin/$target" "$corpus" "${seeds[@]}" -max_total_time="$seconds" -max_len=65536 \
        -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$@" >"$build/logs/$target.log" 2>&1
}

summary() {
    local target=$1 status=$2 log="$build/logs/$1.log"
    local execs cov
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
    if [ "$status" -eq 0 ]; then
        echo "$target: ok, ${execs:-?} runs, ${cov:-cov: ?}"
    else
        echo "$target: FAILED (status $status), see $log and $build/findings/$target"
        grep -m 3 -E 'ERROR:|SUMMARY:|broken:' "$log" | sed 's/^/    /' || true
    fi
}

case "${1:-}" in
--list)
    targets
    ;;
--all)
    seconds=${2:?seconds}
    jobs=${3:-4}
    build_targets
    failed=0
    pids=()
    names=()
    wait_one() {
        local status=0
        wait "${pids[0]}" || status=$?
        summary "${names[0]}" "$status"
        [ "$status" -eq 0 ] || failed=1
        pids=("${pids[@]:1}")
        names=("${names[@]:1}")
    }
    for target in $(targets); do
        [ "${#pids[@]}" -ge "$jobs" ] && wait_one
        run_one "$target" "$seconds" &
        pids+=($!)
        names+=("$target")
    done
    while [ "${#pids[@]}" -gt 0 ]; do wait_one; done
    exit "$failed"
    ;;
""|-h|--help)
    sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
*)
    target=$1
    seconds=${2:?seconds}
    shift 2
    build_targets
    status=0
    run_one "$target" "$seconds" "$@" || status=$?
    summary "$target" "$status"
    exit "$status"
    ;;
esac

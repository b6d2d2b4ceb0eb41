#!/usr/bin/env bash
# Times the two conversions users wait for beside sox, interleaved run by run:
# 10 minutes of 44.1 kHz stereo to 8 kHz mono (the ring format) and 10 minutes
# of 22.05 kHz stereo to 44.1 kHz stereo. Each is timed on all cores and
# pinned to one core (taskset -c 0), wall clock and CPU time (user + sys).
# Prints the load average before each job, medians and the ratios to sox.
#
#   bench/compare-convert.sh                  build in build-release/, 5 repeats
#   REPEATS=9 BUILD_DIR=/tmp/b bench/compare-convert.sh
#   CONVERT_WAV=/path/to/convert_wav bench/compare-convert.sh   no build
#   BASELINE=/path/to/older/convert_wav bench/compare-convert.sh
#       also times that build in the same interleave, beside ours
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
repeats=${REPEATS:-5}

for tool in sox soxi taskset /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "compare-convert.sh: $tool is missing" >&2; exit 1; }
done

convert=${CONVERT_WAV:-}
baseline=${BASELINE:-}
if [ -z "$convert" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DZUVO_BUILD_TESTS=OFF -DZUVO_BUILD_BENCH=ON >/dev/null
    ninja -C "$build" convert_wav >/dev/null
    convert=$build/bench/convert_wav
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zuvo-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Broadband input, so the resampler's filter does real work; -R makes it the
# same on every run.
sox -R -n -r 44100 -c 2 -b 16 -e signed-integer "$work/in44.wav" synth 600 pinknoise vol 0.5
sox -R -n -r 22050 -c 2 -b 16 -e signed-integer "$work/in22.wav" synth 600 pinknoise vol 0.5

# run FILE CMD...: appends "wall cpu" (seconds) of one run of CMD to FILE.
run() {
    local out=$1
    shift
    /usr/bin/time -f "%e %U %S" -o "$work/t" "$@" >/dev/null 2>&1 ||
        { echo "compare-convert.sh: failed: $*" >&2; exit 1; }
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/t" >>"$out"
}

# median FILE COLUMN
median() {
    awk -v c="$2" '{ print $c }' "$1" | sort -g | awk '{ v[NR] = $1 }
        END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# job TITLE IN RATE CHANNELS FRAMES
job() {
    local title=$1 in=$2 rate=$3 channels=$4 frames=$5
    local sox_args=(-r "$rate")
    [ "$channels" = 1 ] && sox_args+=(-c 1)
    for cores in all one; do
        local pin=()
        [ "$cores" = one ] && pin=(taskset -c 0)
        : >"$work/ours"
        : >"$work/sox"
        : >"$work/base"
        echo "$title, $cores core(s), load average $(cut -d' ' -f1-3 /proc/loadavg)"
        for ((i = 0; i < repeats; i++)); do
            rm -f "$work/ours.wav" "$work/sox.wav" "$work/base.wav"
            run "$work/ours" "${pin[@]}" "$convert" "$in" "$work/ours.wav" "$rate" "$channels"
            run "$work/sox" "${pin[@]}" sox "$in" "${sox_args[@]}" "$work/sox.wav"
            if [ -n "$baseline" ]; then
                run "$work/base" "${pin[@]}" "$baseline" "$in" "$work/base.wav" "$rate" "$channels"
            fi
        done
        echo "  md5 of our output: $(md5sum <"$work/ours.wav" | cut -d' ' -f1)"
        if [ -n "$baseline" ]; then
            echo "  md5 of the baseline's: $(md5sum <"$work/base.wav" | cut -d' ' -f1)"
        fi
        for f in "$work/ours.wav" "$work/sox.wav"; do
            [ "$(soxi -r "$f")" = "$rate" ] && [ "$(soxi -c "$f")" = "$channels" ] &&
                [ "$(soxi -s "$f")" = "$frames" ] ||
                { echo "compare-convert.sh: $f is not $frames frames of $rate Hz" >&2; exit 1; }
        done
        local ow oc sw sc
        ow=$(median "$work/ours" 1)
        oc=$(median "$work/ours" 2)
        sw=$(median "$work/sox" 1)
        sc=$(median "$work/sox" 2)
        echo "  runs (wall cpu), ours: $(awk '{ printf "%s/%s ", $1, $2 }' "$work/ours")"
        echo "  runs (wall cpu), sox:  $(awk '{ printf "%s/%s ", $1, $2 }' "$work/sox")"
        awk -v ow="$ow" -v oc="$oc" -v sw="$sw" -v sc="$sc" -v n="$repeats" 'BEGIN {
            printf "  median of %d: ours %.3f s wall %.3f s cpu, sox %.3f s wall %.3f s cpu\n",
                   n, ow, oc, sw, sc
            printf "  ours / sox: wall %.2f, cpu %.2f\n", ow / sw, oc / sc }'
        if [ -n "$baseline" ]; then
            local bw bc
            bw=$(median "$work/base" 1)
            bc=$(median "$work/base" 2)
            echo "  runs (wall cpu), baseline: $(awk '{ printf "%s/%s ", $1, $2 }' "$work/base")"
            awk -v ow="$ow" -v oc="$oc" -v sw="$sw" -v sc="$sc" -v bw="$bw" -v bc="$bc" 'BEGIN {
                printf "  baseline %.3f s wall %.3f s cpu; baseline / sox: wall %.2f, cpu %.2f\n",
                       bw, bc, bw / sw, bc / sc
                printf "  ours / baseline: wall %.2f, cpu %.2f\n", ow / bw, oc / bc }'
        fi
        echo
    done
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo
job "10-min 44.1 kHz stereo to 8 kHz mono" "$work/in44.wav" 8000 1 4800000
job "10-min 22.05 kHz stereo to 44.1 kHz stereo" "$work/in22.wav" 44100 2 26460000
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"

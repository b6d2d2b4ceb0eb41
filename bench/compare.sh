#!/usr/bin/env bash
# Builds the benchmarks (Release), times our WAV conversion to the ring format
# beside sox on the same generated 10-minute recording, and runs audio_bench.
# Prints median times, the ours/sox ratio and the 60-min/1-min drawing ratio.
#
#   bench/compare.sh            build in build-release/, 5 timed repeats each
#   REPEATS=9 BUILD_DIR=/tmp/b bench/compare.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
repeats=${REPEATS:-5}

for tool in cmake ninja sox soxi python3 lame ffmpeg; do
    command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DZUVO_BUILD_TESTS=OFF -DZUVO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" audio_bench convert_wav open_audio >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/zuvo-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# 10 minutes of 44.1 kHz stereo 16-bit pink noise: broadband, so the
# resampler's filter does real work.
sox -n -r 44100 -c 2 -b 16 -e signed-integer "$work/in.wav" synth 600 pinknoise vol 0.5

# Seconds (wall clock) one command takes; fails when the command fails.
elapsed() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "compare.sh: failed: $*" >&2; return 1; }
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

median() {
    sort -g | awk '{ v[NR] = $1 }
        END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Both outputs must really be 8000 Hz mono 16-bit of the same length.
check_output() {
    local file=$1
    [ "$(soxi -r "$file")" = 8000 ] && [ "$(soxi -c "$file")" = 1 ] &&
        [ "$(soxi -b "$file")" = 16 ] && [ "$(soxi -s "$file")" = 4800000 ] ||
        { echo "compare.sh: $file is not 10 min of 8000 Hz mono 16-bit" >&2; exit 1; }
}

: >"$work/ours.times"
: >"$work/sox.times"
# Interleaved, so that a change in machine load hits both sides alike.
for ((i = 0; i < repeats; i++)); do
    rm -f "$work/ours.wav" "$work/sox.wav"
    elapsed "$build/bench/convert_wav" "$work/in.wav" "$work/ours.wav" >>"$work/ours.times"
    elapsed sox "$work/in.wav" -r 8000 -c 1 "$work/sox.wav" >>"$work/sox.times"
done
check_output "$work/ours.wav"
check_output "$work/sox.wav"

ours=$(median <"$work/ours.times")
peer=$(median <"$work/sox.times")
echo "10-min 44.1 kHz stereo WAV to 8 kHz mono, median of $repeats runs (read, convert, write):"
echo "  convert_wav  ${ours} s   (runs: $(tr '\n' ' ' <"$work/ours.times"))"
echo "  sox          ${peer} s   (runs: $(tr '\n' ' ' <"$work/sox.times"))"
awk -v a="$ours" -v b="$peer" 'BEGIN { printf "  ours / sox   %.2f\n\n", a / b }'

# Opening a 10-minute MP3 until the clip is ready, beside ffmpeg decoding the
# same file to WAV.
lame --quiet -b 192 "$work/in.wav" "$work/in.mp3"
: >"$work/open.times"
: >"$work/ffmpeg.times"
for ((i = 0; i < repeats; i++)); do
    elapsed "$build/bench/open_audio" "$work/in.mp3" >>"$work/open.times"
    elapsed ffmpeg -loglevel error -y -i "$work/in.mp3" "$work/ffmpeg.wav" >>"$work/ffmpeg.times"
done
ours=$(median <"$work/open.times")
peer=$(median <"$work/ffmpeg.times")
echo "10-min MP3 opened into a clip, median of $repeats runs:"
echo "  open_audio   ${ours} s   (runs: $(tr '\n' ' ' <"$work/open.times"))"
echo "  ffmpeg       ${peer} s   (runs: $(tr '\n' ' ' <"$work/ffmpeg.times"))"
awk -v a="$ours" -v b="$peer" 'BEGIN { printf "  ours / ffmpeg %.2f\n\n", a / b }'

QT_QPA_PLATFORM=offscreen "$build/bench/audio_bench" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_out="$work/bench.json" \
    --benchmark_out_format=json 2>/dev/null
echo
python3 - "$work/bench.json" <<'PY'
import json, sys
medians = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        medians[b["run_name"]] = b["real_time"]
for name in ("BM_BuildPeaks", "BM_DrawWaveScrolled"):
    short, long_ = medians.get(name + "/minutes:1"), medians.get(name + "/minutes:60")
    if short and long_:
        print(f"{name}: 60-min / 1-min = {long_ / short:.2f} "
              f"({long_:.0f} us / {short:.0f} us, same zoom and visible width)")
PY

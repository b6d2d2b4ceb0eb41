#!/usr/bin/env bash
# Builds the benchmarks (Release) and times, alternately with the peer tool on
# the same generated 10-minute recordings: conversion to the ring format and
# from 22.05 to 44.1 kHz beside sox, opening an MP3 beside ffmpeg and an Ogg
# beside oggdec. Prints medians and ratios, the peak memory of converting a
# 60-minute clip, and audio_bench's 60-min/1-min drawing ratios.
#
#   bench/compare.sh            build in build-release/, 5 timed repeats each
#   REPEATS=9 BUILD_DIR=/tmp/b bench/compare.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
repeats=${REPEATS:-5}

for tool in cmake ninja sox soxi python3 lame ffmpeg oggenc oggdec /usr/bin/time; do
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

echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# Times "ours" and "peer" alternately, repeats times each, and prints the
# medians and the ratio. Each side is a shell command string.
compare() {
    local title=$1 ours_cmd=$2 peer_cmd=$3 peer_name=$4
    : >"$work/a.times"
    : >"$work/b.times"
    # Interleaved, so that a change in machine load hits both sides alike.
    for ((i = 0; i < repeats; i++)); do
        elapsed bash -c "$ours_cmd" >>"$work/a.times"
        elapsed bash -c "$peer_cmd" >>"$work/b.times"
    done
    local a b
    a=$(median <"$work/a.times")
    b=$(median <"$work/b.times")
    echo "$title, median of $repeats runs:"
    echo "  ours        ${a} s   (runs: $(tr '\n' ' ' <"$work/a.times"))"
    printf '  %-11s %s s   (runs: %s)\n' "$peer_name" "$b" "$(tr '\n' ' ' <"$work/b.times")"
    awk -v a="$a" -v b="$b" -v p="$peer_name" 'BEGIN { printf "  ours / %s %.2f\n\n", p, a / b }'
}

# Both outputs must really be RATE Hz, CHANNELS channels, 16-bit, FRAMES long.
check_format() {
    local file=$1 rate=$2 channels=$3 frames=$4
    [ "$(soxi -r "$file")" = "$rate" ] && [ "$(soxi -c "$file")" = "$channels" ] &&
        [ "$(soxi -b "$file")" = 16 ] && [ "$(soxi -s "$file")" = "$frames" ] ||
        { echo "compare.sh: $file is not $frames frames of $rate Hz, $channels ch" >&2; exit 1; }
}

bin=$build/bench
compare "10-min 44.1 kHz stereo WAV to 8 kHz mono (read, convert, write)" \
    "rm -f '$work/ours.wav'; '$bin/convert_wav' '$work/in.wav' '$work/ours.wav'" \
    "rm -f '$work/sox.wav'; sox '$work/in.wav' -r 8000 -c 1 '$work/sox.wav'" sox
check_format "$work/ours.wav" 8000 1 4800000
check_format "$work/sox.wav" 8000 1 4800000

sox -n -r 22050 -c 2 -b 16 -e signed-integer "$work/in22.wav" synth 600 pinknoise vol 0.5
compare "10-min 22.05 kHz stereo WAV to 44.1 kHz stereo (read, convert, write)" \
    "rm -f '$work/ours.wav'; '$bin/convert_wav' '$work/in22.wav' '$work/ours.wav' 44100 2" \
    "rm -f '$work/sox.wav'; sox '$work/in22.wav' -r 44100 '$work/sox.wav'" sox
check_format "$work/ours.wav" 44100 2 26460000
check_format "$work/sox.wav" 44100 2 26460000

# Opening a 10-minute MP3 or Ogg until the clip is ready, beside decoding the
# same file to WAV with the tool a user would take.
lame --quiet -b 192 "$work/in.wav" "$work/in.mp3"
compare "10-min MP3 opened into a clip" "'$bin/open_audio' '$work/in.mp3'" \
    "ffmpeg -loglevel error -y -i '$work/in.mp3' '$work/ffmpeg.wav'" ffmpeg
oggenc -Q -q 5 -o "$work/in.ogg" "$work/in.wav"
compare "10-min Ogg opened into a clip" "'$bin/open_audio' '$work/in.ogg'" \
    "oggdec -Q -o '$work/oggdec.wav' '$work/in.ogg'" oggdec
rm -f "$work/in.mp3" "$work/in.ogg" "$work/in22.wav" "$work/ffmpeg.wav" "$work/oggdec.wav"

# Memory of converting a 60-minute clip: the peak while reading the WAV, and
# the conversion's own peak (the peak is reset between the two).
sox -n -r 44100 -c 2 -b 16 -e signed-integer "$work/long.wav" synth 3600 pinknoise vol 0.5
echo "60-min 44.1 kHz stereo WAV to 8 kHz mono:"
/usr/bin/time -f "  %e s in all" "$bin/convert_wav" --rss "$work/long.wav" "$work/ours.wav" 2>&1 |
    sed 's/^/  /'
rm -f "$work/long.wav"
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

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

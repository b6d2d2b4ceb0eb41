#!/usr/bin/env bash
# Builds ring_files (Release) and times the two ring encoders beside their
# peers on the same input, in one run:
#   VOX:       10 min of 8 kHz mono, ring_files vox  vs  sox -t vox
#   ring file: 55 s of 44.1 kHz mono, ring_files kox vs  ffmpeg -c:a wmav2
# Prints the load average, the checksum of our VOX file, median times and
# the ours/peer ratios.
#
#   bench/compare-ring.sh            build in build-release/, 5 timed repeats
#   REPEATS=9 BUILD_DIR=/tmp/b bench/compare-ring.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
repeats=${REPEATS:-5}

for tool in cmake ninja sox ffmpeg ffprobe; do
    command -v "$tool" >/dev/null || { echo "compare-ring.sh: $tool is missing" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DZUVO_BUILD_TESTS=OFF -DZUVO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" ring_files >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/zuvo-ring-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Pink noise with a tone: broadband, so neither encoder idles on silence.
# Repeatable (-R), so our VOX output's checksum can be compared across runs.
sox -R -n -r 8000 -c 1 -b 16 "$work/voice.wav" synth 600 pinknoise mix sine 440 vol 0.5
sox -R -n -r 44100 -c 1 -b 16 "$work/music.wav" synth 55 pinknoise mix sine 440 vol 0.5

elapsed() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "compare-ring.sh: failed: $*" >&2; return 1; }
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

median() {
    sort -g | awk '{ v[NR] = $1 }
        END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

report() { # title ours-times peer-times peer-name
    local ours peer
    ours=$(median <"$2")
    peer=$(median <"$3")
    echo "$1, median of $repeats runs:"
    echo "  ours         ${ours} s   (runs: $(tr '\n' ' ' <"$2"))"
    printf "  %-12s %s s   (runs: %s)\n" "$4" "$peer" "$(tr '\n' ' ' <"$3")"
    awk -v a="$ours" -v b="$peer" -v n="$4" 'BEGIN { printf "  ours / %s %.2f\n\n", n, a / b }'
}

: >"$work/vox.times"
: >"$work/sox.times"
: >"$work/kox.times"
: >"$work/ffmpeg.times"
# Interleaved, so that a change in machine load hits both sides alike.
for ((i = 0; i < repeats; i++)); do
    rm -f "$work/ours.vox" "$work/sox.vox" "$work/ours.kox" "$work/ffmpeg.wma"
    elapsed "$build/bench/ring_files" vox "$work/voice.wav" "$work/ours.vox" >>"$work/vox.times"
    elapsed sox "$work/voice.wav" -t vox -r 8000 "$work/sox.vox" >>"$work/sox.times"
    elapsed "$build/bench/ring_files" kox "$work/music.wav" "$work/ours.kox" >>"$work/kox.times"
    elapsed ffmpeg -loglevel error -y -i "$work/music.wav" -c:a wmav2 -b:a 96000 \
        "$work/ffmpeg.wma" >>"$work/ffmpeg.times"
done

# Both VOX files hold 4.8 M samples at two a byte; both ring files are
# 55 s of mono wmav2 at 96 kbit/s, the listed 44.1 kHz format.
for f in ours.vox sox.vox; do
    [ "$(stat -c %s "$work/$f")" = 2400000 ] ||
        { echo "compare-ring.sh: $f is not 2400000 bytes" >&2; exit 1; }
done
for f in ours.kox ffmpeg.wma; do
    probe=$(ffprobe -v error -show_entries stream=codec_name,channels,bit_rate \
        -of csv=p=0 "$work/$f")
    [ "$probe" = "wmav2,1,96000" ] ||
        { echo "compare-ring.sh: $f is $probe, not wmav2 mono 96 kbit/s" >&2; exit 1; }
done

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "our VOX file: $(md5sum <"$work/ours.vox" | cut -d' ' -f1) (md5)"
echo
report "10 min of 8 kHz mono WAV to VOX" "$work/vox.times" "$work/sox.times" sox
report "55 s of 44.1 kHz mono WAV to a 96 kbit/s ring file" "$work/kox.times" \
    "$work/ffmpeg.times" ffmpeg

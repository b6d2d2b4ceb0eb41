#!/usr/bin/env bash
# Makes the hostile inputs the readers must end on quickly, opens each through
# open_audio (Brevanta's open driver) and, when the tree builds it, open_music
# (Kelvo's), under /usr/bin/time -v, and prints a table: input, tool, exit
# status, wall seconds, CPU seconds (user and system), peak resident memory.
# Large inputs are sparse files (truncate), so they take next to no disk; all
# of them live in a temporary folder removed at the end. Not a test: nothing
# fails on a slow figure.
#   bench/hostile-inputs.sh              Release build in build-release/
#   BUILD_DIR=/tmp/rel JOBS=3 bench/hostile-inputs.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build-release}"
jobs="${JOBS:-3}"

for tool in sox lame python3 truncate /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZUVO_BUILD_TESTS=OFF \
    -DZUVO_BUILD_BENCH=ON >/dev/null
tools=(open_audio)
# The whole list first: grep -q would end the pipe early, and pipefail would
# count ninja's broken pipe as "no such target".
targets=$(ninja -C "$build" -t targets all 2>/dev/null || true)
if grep -q '^open_music:' <<<"$targets"; then
    tools+=(open_music)
fi
cmake --build "$build" -j "$jobs" --target "${tools[@]}" >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/hostile-inputs-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# A second of tone as WAV and as an MP3 of about 20 KB, and 30 s as MP3.
sox -n -r 44100 -c 2 -b 16 tone.wav synth 1 sine 440 gain -6
lame --quiet -b 160 -t tone.wav tone.mp3
sox -n -r 44100 -c 2 -b 16 song.wav synth 30 sine 440 gain -6
lame --quiet -b 128 song.wav song.mp3

python3 - <<'PY'
import struct

def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

def tag(frame_id, text):
    body = frame_id + struct.pack('>I', len(text) + 1) + b'\0\0' + b'\0' + text
    return b'ID3\3\0\0' + syncsafe(len(body)) + body

import random

audio = open('tone.mp3', 'rb').read()
# A broken download: random bytes behind the frames.
noise = random.Random(33).randbytes(1024 * 1024)
with open('noise-tail-1m.mp3', 'wb') as f:
    f.write(open('song.mp3', 'rb').read() + noise)
with open('chained-tags.mp3', 'wb') as f:
    f.write(tag(b'TIT2', b'First') + tag(b'TPE1', b'Other') * 15999 + audio)

def fmt(channels=2, rate=44100, bits=16):
    align = channels * bits // 8
    return b'fmt ' + struct.pack('<IHHIIHH', 16, 1, channels, rate, rate * align, align, bits)

def riff(body):
    return b'RIFF' + struct.pack('<I', (len(body) + 4) & 0xFFFFFFFF) + b'WAVE' + body

samples = open('tone.wav', 'rb').read()[44:]
with open('data-before-fmt.wav', 'wb') as f:
    f.write(riff(b'data' + struct.pack('<I', len(samples)) + samples + fmt()))
# Headers only: truncate makes the samples (zeros) behind them.
with open('ffff-over-5g.wav', 'wb') as f:
    f.write(riff(fmt() + b'data' + struct.pack('<I', 0xFFFFFFFF)))
size = 4 * 1024 ** 3 - 64
with open('4g.wav', 'wb') as f:
    f.write(riff(fmt() + b'data' + struct.pack('<I', size)))
PY
cp tone.wav zero-tail.wav
truncate -s +512M zero-tail.wav
truncate -s 5G ffff-over-5g.wav
truncate -s $((4 * 1024 * 1024 * 1024 - 64 + 44)) 4g.wav
cp tone.mp3 junk-1g.mp3
truncate -s +1G junk-1g.mp3

# tone.wav first: what starting the tool and opening a plain file cost.
inputs=(tone.wav chained-tags.mp3 noise-tail-1m.mp3 zero-tail.wav ffff-over-5g.wav junk-1g.mp3
    data-before-fmt.wav 4g.wav)
printf '%-22s %-11s %6s %8s %7s %9s\n' input tool status "wall s" "cpu s" "peak MB"
for input in "${inputs[@]}"; do
    for tool in "${tools[@]}"; do
        status=0
        /usr/bin/time -v -o time.txt "$build/bench/$tool" "$work/$input" >/dev/null 2>&1 ||
            status=$?
        wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.txt |
            awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.2f", s }')
        cpu=$(sed -n -e 's/.*User time (seconds): //p' -e 's/.*System time (seconds): //p' \
            time.txt | awk '{ s += $1 } END { printf "%.2f", s }')
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt |
            awk '{ printf "%.0f", $1 / 1024 }')
        printf '%-22s %-11s %6s %8s %7s %9s\n' "$input" "$tool" "$status" "$wall" "$cpu" \
            "$rss"
    done
done

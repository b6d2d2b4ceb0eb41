#!/usr/bin/env bash
# Peak memory of converting a WAV file as the programs do, for a 1-minute and
# a 10-minute file: the conversions read the file in blocks, so the peak
# must not grow with the file beyond the converted samples that Kelvo keeps
# in memory. Each conversion runs in a process of its own (convert_wav),
# whose peak resident memory (VmHWM) /usr/bin/time reports; the md5 of the
# output shows that the two ways of each program give the same samples.
#
#   bench/convert-memory.sh          build in build-release/
#   BUILD_DIR=/tmp/b bench/convert-memory.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
for tool in cmake ninja sox md5sum /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "convert-memory.sh: $tool is missing" >&2; exit 1; }
done
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DZUVO_BUILD_TESTS=OFF -DZUVO_BUILD_BENCH=ON >/dev/null
ninja -C "$build" convert_wav >/dev/null
convert=$build/bench/convert_wav

work=$(mktemp -d "${TMPDIR:-/tmp}/zuvo-memory-XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-40s %-7s %13s %13s  %s\n' "job" "length" "read, convert" "straight in" "md5 (both)"
for minutes in 1 10; do
    sox -R -n -r 44100 -c 2 -b 16 -e signed-integer "$work/in44.wav" synth $((minutes * 60)) \
        pinknoise vol 0.5
    sox -R -n -r 22050 -c 2 -b 16 -e signed-integer "$work/in22.wav" synth $((minutes * 60)) \
        pinknoise vol 0.5
    for job in "Brevanta 44.1 kHz stereo to 8 kHz mono|in44.wav|" \
        "Brevanta 22.05 to 44.1 kHz stereo|in22.wav|44100 2" \
        "Kelvo 44.1 kHz stereo to 8 kHz mono|in44.wav|--track" \
        "Kelvo 22.05 to 44.1 kHz stereo|in22.wav|--track 44100 2"; do
        IFS='|' read -r title input rest <<<"$job"
        read -r -a extra <<<"$rest"
        flags=() tail=()
        for word in "${extra[@]}"; do
            [[ $word == --* ]] && flags+=("$word") || tail+=("$word")
        done
        peak() { /usr/bin/time -f %M "$convert" "$@" 2>&1 >/dev/null | tail -n 1; }
        copied=$(peak --copy "${flags[@]}" "$work/$input" "$work/copied.wav" "${tail[@]}")
        straight=$(peak "${flags[@]}" "$work/$input" "$work/straight.wav" "${tail[@]}")
        sums="$(md5sum <"$work/copied.wav" | cut -c1-8) $(md5sum <"$work/straight.wav" | cut -c1-8)"
        printf '%-40s %-7s %10s kB %10s kB  %s\n' "$title" "$minutes min" "$copied" "$straight" \
            "$sums"
    done
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"

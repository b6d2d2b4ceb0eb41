#!/usr/bin/env bash
# Unpacks libresample's source from Debian's source package with the
# project's patch (filter-layout.patch, beside this script) applied, into
# FOLDER/src, for the build to compile and link statically. The upstream
# tarball is checked against the SHA-256 the .dsc lists for it. A second run
# with the same patch does nothing. CMake runs this when it configures.
# Usage: tools/libresample/build.sh [FOLDER]   (default build/libresample)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="${1:-$root/build/libresample}"
patch_file="$here/filter-layout.patch"

mkdir -p "$out"
# Build folders configured at the same time share this one.
exec 9>"$out/.lock"
flock 9

want=$(sha256sum "$patch_file" | cut -d' ' -f1)
if [ -f "$out/src/.patched" ] && [ "$(cat "$out/src/.patched")" = "$want" ]; then
    exit 0
fi

fail() {
    echo "libresample: $*" >&2
    exit 1
}

download="$out/download"
dsc=$(ls "$download"/libresample_*.dsc 2>/dev/null | head -n 1 || true)
orig=$(ls "$download"/libresample_*.orig.tar.* 2>/dev/null | head -n 1 || true)
if [ -z "$dsc" ] || [ -z "$orig" ]; then
    rm -rf "$download"
    mkdir -p "$download"
    # Only the .dsc and the upstream tarball are used. Debian's own tarball
    # of packaging files is missing on some archives, which makes apt-get
    # fail after it fetched the other two; what it did fetch is checked below.
    "$root/tools/apt-source.sh" "$download" libresample --download-only \
        >"$download/apt.log" 2>&1 || true
    dsc=$(ls "$download"/libresample_*.dsc 2>/dev/null | head -n 1 || true)
    orig=$(ls "$download"/libresample_*.orig.tar.* 2>/dev/null | head -n 1 || true)
    if [ -z "$dsc" ] || [ -z "$orig" ]; then
        cat "$download/apt.log" >&2
        fail "apt-get source did not fetch the .dsc and the upstream tarball"
    fi
fi

name=$(basename "$orig")
listed=$(awk -v name="$name" '
    /^Checksums-Sha256:/ { on = 1; next }
    on && /^ / { if ($3 == name) print $1; next }
    { on = 0 }' "$dsc")
[ -n "$listed" ] || fail "$(basename "$dsc") lists no SHA-256 for $name"
actual=$(sha256sum "$orig" | cut -d' ' -f1)
if [ "$actual" != "$listed" ]; then
    rm -rf "$download"
    fail "$name has SHA-256 $actual, $(basename "$dsc") lists $listed; removed, run again"
fi

work="$out/unpack"
rm -rf "$work"
mkdir -p "$work"
tar -xf "$orig" -C "$work"
tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
[ -f "$tree/src/resample.c" ] || fail "$name holds no src/resample.c"
patch -d "$tree" -p1 --quiet --no-backup-if-mismatch <"$patch_file" ||
    fail "$(basename "$patch_file") does not apply to $name"
echo "$want" >"$tree/.patched"
rm -rf "$out/src"
mv "$tree" "$out/src"
rm -rf "$work"
echo "libresample: $name checked against $(basename "$dsc"), patched into $out/src"

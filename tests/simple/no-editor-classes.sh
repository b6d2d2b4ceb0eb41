#!/usr/bin/env bash
# Fails when the program ($1) holds code of any class defined in the editor
# folder ($2) of the source tree, as nm -C shows its symbols. Names that
# Kelvo's own folders define too (its about box, its clock) are left to the
# build, which refuses a program linking both.
set -euo pipefail
program=$1
editor=$2
root=$(dirname "$editor")
defined() {
    grep -hE '^class [A-Za-z_][A-Za-z0-9_]*( final)?( :.*)?$' "$@" | awk '{print $2}' | sort -u
}
classes=$(comm -23 <(defined "$editor"/*.h) \
    <(defined "$root"/{platform,audio,publish,skin,voice,simple}/*.h))
[ -n "$classes" ] || { echo "no classes found in $editor" >&2; exit 1; }
symbols=$(nm -C "$program")
found=0
for class in $classes; do
    if grep -q -E "(^| |\()${class}::" <<<"$symbols"; then
        echo "$program holds $class of $editor"
        found=1
    fi
done
[ "$found" = 0 ] && echo "none of $(wc -w <<<"$classes") editor classes in $program"
exit "$found"

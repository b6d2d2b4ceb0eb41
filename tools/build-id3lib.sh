#!/usr/bin/env bash
# Builds id3lib from Debian's source package with the fuzz build's sanitizers
# and coverage, so that faults inside the library show where they happen
# instead of as a late crash. The result goes to build/id3lib-fuzz (static
# library and headers); a second run with the result present does nothing.
# Usage: tools/build-id3lib.sh [prefix]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix="${1:-$root/build/id3lib-fuzz}"
work="$root/build/id3lib-src"
package=id3lib3.8.3
flags="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined,fuzzer-no-link"

if [ -f "$prefix/.built" ] && [ -f "$prefix/lib/libid3.a" ]; then
    exit 0
fi

mkdir -p "$work"
cd "$work"
if ! ls -d "$work"/id3lib*/ >/dev/null 2>&1; then
    # From the archive this machine's apt sources name.
    "$root/tools/apt-source.sh" "$work" "$package"
fi
src=$(ls -d "$work"/id3lib*/ | head -n 1)

cd "$src"
# Debian's build regenerates the autotools files its patches touch.
if [ ! -f "$work/.regenerated" ]; then
    (libtoolize -fc && aclocal && autoconf && automake --add-missing --copy) >regen.log 2>&1 ||
        { tail -n 30 regen.log; exit 1; }
    touch "$work/.regenerated"
fi
build="$work/build"
rm -rf "$build"
mkdir -p "$build"
cd "$build"
# The library is C++98 code; its Debian patches link the system zlib.
CC=clang CXX=clang++ CFLAGS="$flags" CXXFLAGS="$flags -std=gnu++98" LDFLAGS="-fsanitize=address,undefined" \
    "$src/configure" --prefix="$prefix" --disable-shared --enable-static --with-pic \
    >configure.log 2>&1 || { tail -n 30 configure.log; exit 1; }
make -j"$(nproc)" -C src >make.log 2>&1 || { tail -n 40 make.log; exit 1; }
make -C src install >/dev/null
make -C include install >/dev/null
touch "$prefix/.built"
echo "id3lib built with sanitizers into $prefix"

#!/usr/bin/env bash
# tools/apt-source.sh takes its archive from the machine's apt sources: each
# "deb" entry of the one-line list and of deb822 files becomes "deb-src" with
# its host, suites and options kept; disabled stanzas and comments are left
# out. apt-get is replaced by a stand-in that records its arguments, and
# APT_CONFIG points apt-config at sources made up here.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/bin" "$work/parts" "$work/out"
cat >"$work/bin/apt-get" <<STANDIN
#!/bin/sh
echo "apt-get \$*" >>"$work/calls"
STANDIN
chmod +x "$work/bin/apt-get"

cat >"$work/sources.list" <<'LIST'
# deb http://commented.example/debian bookworm main
deb [signed-by=/usr/share/keyrings/mirror.gpg] http://mirror.example/debian bookworm main contrib
deb-src http://already-src.example/debian bookworm main
LIST
cat >"$work/parts/mirror.sources" <<'SOURCES'
Types: deb
URIs: http://deb822.example/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGNA
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb
URIs: http://disabled.example/debian
Suites: bookworm
Components: main
Enabled: no
SOURCES
cat >"$work/apt.conf" <<CONF
Dir::Etc::sourcelist "$work/sources.list";
Dir::Etc::sourceparts "$work/parts";
CONF

fail() {
    echo "$*" >&2
    echo "--- sources.list" >&2
    cat "$work/out/apt/sources.list" >&2 || true
    echo "--- sources.list.d" >&2
    cat "$work/out/apt/sources.list.d/"* >&2 || true
    exit 1
}

APT_CONFIG="$work/apt.conf" PATH="$work/bin:$PATH" \
    "$root/tools/apt-source.sh" "$work/out" somepackage --download-only

list=$(cat "$work/out/apt/sources.list")
[ "$list" = "deb-src [signed-by=/usr/share/keyrings/mirror.gpg] http://mirror.example/debian bookworm main contrib" ] ||
    fail "the one-line list was not turned into deb-src entries as expected"
part="$work/out/apt/sources.list.d/mirror.sources"
[ -f "$part" ] || fail "no deb822 file was written"
grep -qx 'Types: deb-src' "$part" || fail "the deb822 stanza is not deb-src"
grep -qx 'URIs: http://deb822.example/debian' "$part" || fail "the deb822 host was lost"
grep -qx ' mQINBGNA' "$part" || fail "the inline key was lost"
grep -q 'disabled.example' "$part" && fail "a disabled stanza was kept"
grep -q 'commented.example' "$work/out/apt/sources.list" && fail "a comment became an entry"
grep -q 'debian.org' "$work/out/apt/sources.list" "$part" && fail "a host of its own was written"

grep -q "^apt-get .*Dir::Etc::SourceList=$work/out/apt/sources.list.* update" "$work/calls" ||
    fail "apt-get update did not use the derived list: $(cat "$work/calls")"
grep -q "^apt-get .* source -qq --download-only somepackage$" "$work/calls" ||
    fail "apt-get source was not called for the package: $(cat "$work/calls")"
echo "deb-src entries taken from both formats"

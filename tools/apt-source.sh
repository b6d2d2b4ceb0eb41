#!/usr/bin/env bash
# Fetches a Debian source package into a folder with apt-get source, taking
# the archive from this machine's own apt sources (their "deb" entries, read
# as "deb-src"), so a machine with a local mirror uses that mirror. apt's
# lists and cache for this live in the folder; the system's stay as they are.
#   tools/apt-source.sh DIR PACKAGE [apt-get source options...]
# Exits with apt-get's status.
set -euo pipefail
dir=${1:?folder}
package=${2:?package}
shift 2

apt_dir="$dir/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
rm -f "$apt_dir"/sources.list.d/*

list= parts=
eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"

# One-line format: every "deb" line again as "deb-src", options kept.
one_line() {
    awk '/^[ \t]*deb[ \t]/ { sub(/deb/, "deb-src"); print }' "$@"
}
# deb822 format: each enabled stanza of type deb again as deb-src, with its
# other fields (Signed-By, possibly an inline key) kept as they are.
deb822() {
    awk '
        function flush() {
            if (n && keep && !off) {
                for (i = 1; i <= n; i++) print line[i]
                print ""
            }
            n = 0; keep = 0; off = 0
        }
        /^#/ { next }
        /^[ \t]*$/ { flush(); next }
        tolower($1) == "types:" {
            keep = 0
            for (i = 2; i <= NF; i++) if ($i == "deb" || $i == "deb-src") keep = 1
            line[++n] = "Types: deb-src"
            next
        }
        tolower($1) == "enabled:" && tolower($2) == "no" { off = 1 }
        { line[++n] = $0 }
        END { flush() }
    ' "$1"
}

: >"$apt_dir/sources.list"
[ -f "$list" ] && one_line "$list" >>"$apt_dir/sources.list"
shopt -s nullglob
for f in "$parts"/*.list; do
    one_line "$f" >>"$apt_dir/sources.list"
done
for f in "$parts"/*.sources; do
    deb822 "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done
if [ ! -s "$apt_dir/sources.list" ] && [ -z "$(cat "$apt_dir"/sources.list.d/* 2>/dev/null)" ]; then
    echo "apt-source.sh: no deb entries in this machine's apt sources" >&2
    exit 1
fi

apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
          -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
          -o "Dir::State::Lists=$apt_dir/lists"
          -o "Dir::Cache=$apt_dir/cache"
          -o "APT::Sandbox::User=root")
apt-get "${apt_opts[@]}" update -qq
cd "$dir"
apt-get "${apt_opts[@]}" source -qq "$@" "$package"

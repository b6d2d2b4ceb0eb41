#!/usr/bin/env bash
# On a machine where tools/install-deps.sh has run, running it again must
# install nothing: no package manager is called and nothing is printed.
# apt-get and sudo are replaced by stand-ins that record every call.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/bin"
for tool in apt-get sudo; do
    cat >"$work/bin/$tool" <<STANDIN
#!/bin/sh
echo "$tool \$*" >>"$work/calls"
exit 1
STANDIN
    chmod +x "$work/bin/$tool"
done

status=0
output=$(PATH="$work/bin:$PATH" "$root/tools/install-deps.sh" 2>&1) || status=$?
if [ "$status" -ne 0 ] || [ -n "$output" ] || [ -e "$work/calls" ]; then
    echo "a second run wanted to install something (exit $status):" >&2
    echo "$output" >&2
    [ -e "$work/calls" ] && cat "$work/calls" >&2
    exit 1
fi
echo "nothing to install"

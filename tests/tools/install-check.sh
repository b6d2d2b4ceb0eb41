#!/usr/bin/env bash
# Installs the build ($1) into a temporary prefix and checks that a Linux
# desktop finds both programs there: programs, themes, help page, icons and
# desktop entries that desktop-file-validate accepts.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
status=0
for path in bin/brevanta bin/kelvo \
    share/zuvo/skin/neostyle/theme.ini share/zuvo/skin/dlgstyle/theme.ini \
    share/zuvo/skin/neostyle/tools.png share/zuvo/help/index.html \
    share/applications/org.zuvo.Brevanta.desktop share/applications/org.zuvo.Kelvo.desktop \
    share/icons/hicolor/scalable/apps/brevanta.svg share/icons/hicolor/scalable/apps/kelvo.svg; do
    if [ ! -s "$prefix/$path" ]; then
        echo "missing: $path"
        status=1
    fi
done
for program in brevanta kelvo; do
    [ -x "$prefix/bin/$program" ] || { echo "not executable: bin/$program"; status=1; }
done
desktop-file-validate "$prefix"/share/applications/*.desktop || status=1
# Each entry names a program and an icon that the prefix holds.
for entry in "$prefix"/share/applications/*.desktop; do
    exec_word=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -x "$prefix/bin/$exec_word" ] || { echo "$entry: no program $exec_word"; status=1; }
    [ -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
        { echo "$entry: no icon $icon"; status=1; }
done
[ "$status" = 0 ] && echo "installed and valid under a temporary prefix"
exit "$status"

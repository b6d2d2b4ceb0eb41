#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running both
# programs need. Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ninja-build
    qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
    qt6-webengine-dev qt6-webengine-dev-tools qt6-webchannel-dev
    libqt6opengl6-dev qt6-svg-dev qt6-l10n-tools qt6-translations-l10n
    libsdl2-dev
    libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
    libresample1-dev libid3-3.8.3-dev libid3-tools
    libcurl4-openssl-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    lame vorbis-tools sox libsox-fmt-all ffmpeg
    dbus dbus-x11 fonts-wqy-zenhei desktop-file-utils
    python3 python3-numpy xvfb xauth xdotool
    clang libclang-rt-14-dev id3v2 dpkg-dev autoconf automake libtool zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

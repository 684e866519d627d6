#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Safe to run again: it asks apt only for what is not installed yet.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  portaudio19-dev libpulse-dev libasound2-dev libgsm1-dev libspeex-dev libspeexdsp-dev libsndfile1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  pulseaudio pulseaudio-utils libasound2-plugins espeak-ng sox
  pipewire pipewire-pulse wireplumber
  python3 python3-numpy
  xvfb xdotool x11-utils imagemagick
  dpkg-dev lintian desktop-file-utils appstream librsvg2-bin dbus python3-dbus python3-gi
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

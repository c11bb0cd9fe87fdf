#!/usr/bin/env bash
# Makes a Debian 12 machine ready to build and test everything: idempotent, non-interactive.
# Only Debian's packages are installed; nothing else is downloaded.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config python3
  mingw-w64 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils xdotool imagemagick ffmpeg zip
  libgl-dev libglu1-mesa-dev freeglut3-dev mesa-utils libgl1-mesa-dri
  clang libclang-rt-14-dev
  pulseaudio pulseaudio-utils libpulse-dev
  dpkg-dev desktop-file-utils man-db
  wine wine64 wine32:i386 fonts-wine libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  # The faces the Wine prefixes pin for the plug-in's "Arial"; and two font packages that change
  # what fontconfig answers for it, installed so that CI proves the pinning holds.
  fonts-liberation fonts-urw-base35 fonts-noto-mono
)

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing() {
  local out=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || out+=("$p")
  done
  printf '%s\n' "${out[@]}"
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
  need_update=1
fi

todo=$(missing)
if [ -z "$todo" ]; then
  exit 0
fi
echo "install-deps: installing: $(echo $todo | tr '\n' ' ')"
export DEBIAN_FRONTEND=noninteractive
sudo_if_needed apt-get update -qq
# shellcheck disable=SC2086
sudo_if_needed apt-get install -y -qq --no-install-recommends $todo >/dev/null
echo "install-deps: done"

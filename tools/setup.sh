#!/usr/bin/env bash
# Installs, on a Debian machine, what blorp needs to build, test and run.
# Packages already present are left alone, so a second run installs nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  freeglut3-dev libgl-dev libglu1-mesa-dev libx11-dev
  clang libclang-rt-dev
  xvfb xdotool x11-utils imagemagick libgl1-mesa-dri
  libtiff-dev
  libpng-dev ffmpeg
  parallel rsync openssh-server openssh-client
  libtomlplusplus-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "blorp: installing ${missing[*]}" >&2
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

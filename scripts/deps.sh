#!/usr/bin/env bash
# Installs the Debian 12 packages the game and its tests need, when any is missing.
#   scripts/deps.sh           the game
#   scripts/deps.sh --web     the game and its web build (Emscripten)
#   scripts/deps.sh --tests   everything, the web build and the browser tests included
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libegl-dev libopenmpt-dev
  libfreetype-dev fonts-dejavu-core
  dpkg-dev librsvg2-bin  # the package: hardening flags, its dependencies, the icons
)
if [ "${1:-}" = "--web" ] || [ "${1:-}" = "--tests" ]; then
  # Emscripten's JavaScript optimiser needs acorn, which Debian keeps under /usr/share/nodejs.
  packages+=(emscripten node-acorn)
  # The page is tested in Firefox ESR as well as Chromium.
  packages+=(firefox-esr)
fi
if [ "${1:-}" = "--tests" ]; then
  # xfonts-base: SDL's X11 message box draws with the X core fonts; without them it cannot open.
  packages+=(
    libgtest-dev libbenchmark-dev clang libclang-rt-dev
    xvfb xfonts-base xdotool x11-utils x11-xserver-utils imagemagick libx11-dev
    openmpt123 sox python3 desktop-file-utils
    lintian appstream  # the package test
    chromium  # the browser tests, headless with software WebGL
    # The board's server, its two databases, its package's checks (systemd-analyze, man) and
    # its benchmarks (wrk and curl, beside nginx).
    libmicrohttpd-dev nlohmann-json3-dev libsqlite3-dev libpq-dev nettle-dev postgresql
    systemd man-db wrk curl nginx
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  # A fresh machine may still be running its unattended upgrades: wait for the lock.
  lock=(-o DPkg::Lock::Timeout=600)
  $sudo apt-get "${lock[@]}" update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get "${lock[@]}" install -y -q --no-install-recommends \
    "${missing[@]}"
fi

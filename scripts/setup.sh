#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, when
# any is missing. Runs apt-get directly as root, through sudo otherwise.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-mixer1.2-dev libsdl1.2-compat
  libgtest-dev googletest
  libcairo2-dev libfreetype-dev fonts-liberation libvorbis-dev libogg-dev
  libpng-dev zlib1g-dev
  libgl1 libgl1-mesa-dri libglu1-mesa
  xvfb xauth xdotool imagemagick x11-utils openbox
  debhelper dpkg-dev lintian desktop-file-utils appstream librsvg2-bin man-db
)
# `setup.sh fuzz`: also the clang toolchain and libFuzzer for `make fuzz`.
if [ "${1:-}" = fuzz ]; then
  packages+=(clang-14 libfuzzer-14-dev libclang-rt-14-dev)
fi
# `setup.sh web`: also Emscripten for `make web`, and Chromium, node and
# npm for its tests; then puppeteer-core from web/tests/package-lock.json.
if [ "${1:-}" = web ]; then
  packages+=(emscripten chromium nodejs)
  # Node's own packages bring npm along; Debian's nodejs needs its npm.
  command -v npm >/dev/null || packages+=(npm)
fi
root=$(cd "$(dirname "$0")/.." && pwd)
npm_packages() {
  if [ "${1:-}" = web ] && [ ! -d "$root/web/tests/node_modules/puppeteer-core" ]; then
    echo "Installing puppeteer-core (web/tests/package-lock.json)"
    # puppeteer-core drives the system's Chromium and never downloads one.
    (cd "$root/web/tests" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  fi
}
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  npm_packages "${1:-}"
  exit 0
fi
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
npm_packages "${1:-}"

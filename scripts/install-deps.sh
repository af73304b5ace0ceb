#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zellora
# need, and only those that are missing. Safe to run again. (locales: the
# tests make the locales they read numbers under with its localedef;
# desktop-file-utils, appstream, lintian: the install tests validate the
# menu entry, the AppStream metadata and the Debian package with them;
# dpkg-dev: dpkg-shlibdeps for the package's dependencies; libqt6opengl6-dev:
# Qt Charts' CMake package needs it and Debian's qt6-charts-dev does not
# pull it in; libfmt-dev: the shortest form of a double where the standard
# library has no std::to_chars for it, the page's WebAssembly build;
# xvfb, dbus, at-spi2-core, python3-pyatspi: the test of the
# windows' accessibility tree runs the desktop program on a display and a
# session bus of its own and reads what a screen reader reads.)
set -euo pipefail

packages=(
  build-essential cmake make pkg-config
  nlohmann-json3-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev libzip-dev
  libtomlplusplus-dev libfmt-dev
  libreoffice-writer-nogui fonts-liberation
  locales unzip
  desktop-file-utils appstream lintian dpkg-dev
  xvfb dbus at-spi2-core python3-pyatspi
)

# `install-deps.sh fuzz`: the clang toolchain of the fuzz targets as well.
if [ "${1:-}" = "fuzz" ]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi
# `install-deps.sh web`: the page (make web, make test): Emscripten builds the
# WebAssembly module, and its test drives headless Chromium with Selenium and
# checks every state of the page with axe-core (npm's package, installed below
# into .npm/, which git ignores; nothing of it is kept in the project).
if [ "${1:-}" = "web" ]; then
  packages+=(emscripten python3 chromium chromium-driver python3-selenium)
  command -v npm >/dev/null || packages+=(npm)
fi

# axe-core for the page's test, once the Debian packages are in.
axe_core() {
  [ "${1:-}" = "web" ] || return 0
  local cartella
  cartella="$(cd "$(dirname "$0")/.." && pwd)/.npm"
  [ -f "$cartella/node_modules/axe-core/axe.min.js" ] && return 0
  echo "Installing axe-core into $cartella"
  npm install --prefix "$cartella" --no-save --no-package-lock --no-audit --no-fund axe-core@4
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  axe_core "${1:-}"
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
axe_core "${1:-}"

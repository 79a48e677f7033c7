#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libpixman-1-dev libstb-dev libcli11-dev libinih-dev
  fonts-dejavu-core
  libimage-exiftool-perl libexif-dev exiv2
  clang
  libdeflate-dev libx11-dev libx11-xcb-dev libxcb-shm0-dev libxext-dev libxfixes-dev libxrandr-dev libxtst-dev xvfb
  libwebp-dev libjpeg-dev
  libwayland-dev libwayland-bin wayland-protocols sway grim xwayland weston
  python3-dev pybind11-dev python3-pytest
  python3-distributed
  dpkg-dev lintian scdoc doxygen man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# sway refuses to run as root, and CI runs as root: the Wayland tests start it as this user.
if ! id -u velmo-test >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo useradd --system --no-create-home --shell /usr/sbin/nologin velmo-test
fi

#!/usr/bin/env bash
# Configures and builds build/release, the one optimised build (no sanitizers) that the command, the
# Python tests, the install check and the Debian packages all use, so CI compiles the tree optimised
# once. It builds the benchmarks too, so that they cannot fall behind the code. It is configured for
# /usr with Debian's hardening flags, as the packages need.
#   scripts/release_build.sh [TARGET...]   (default: everything)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
# Debian's flags without -g: the packages are stripped and no debug symbols package is built.
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')
ldflags="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMO_TESTS=OFF -DVELMO_PYTHON=ON -DVELMO_BENCH=ON \
  -DCMAKE_INSTALL_PREFIX=/usr -DVELMO_PYTHON_INSTALL_DIR=lib/python3/dist-packages \
  -DCMAKE_C_FLAGS="$cppflags $cxxflags" -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
if [ $# -eq 0 ]; then
  cmake --build "$build"
else
  cmake --build "$build" --target "$@"
fi

#!/usr/bin/env bash
# Sets up and builds the optimised velmo command into build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMO_TESTS=OFF >/dev/null
cmake --build build/release --target velmo

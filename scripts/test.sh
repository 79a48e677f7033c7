#!/usr/bin/env bash
# Sets up, builds the sanitizer test build and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMO_SANITIZE=ON -DVELMO_TESTS=ON >/dev/null
cmake --build build/test
ctest --test-dir build/test --output-on-failure -j "$(nproc)" "$@"

# The Python module's tests (pytest) run against a build of their own without sanitizers: a plain
# interpreter cannot load an extension built with them. Debian's python3, not one first on PATH.
cmake -S . -B build/python-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_TESTS=OFF -DVELMO_PYTHON=ON >/dev/null
cmake --build build/python-test --target velmo_python velmo
PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$PWD/build/python-test/python" VELMO_COMMAND="$PWD/build/python-test/src/cli/velmo" \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests

#!/usr/bin/env bash
# Sets up, builds the sanitizer test build and runs every test through CTest, then the tests of
# threads under ThreadSanitizer, then the Python tests against the optimised build. Each step is one
# function, run in the order of `steps`; a new step is a function and a line there.
#   scripts/test.sh [CTEST ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."

# The C++ tests, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitizer_tests() {
  cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMO_SANITIZE=ON -DVELMO_TESTS=ON >/dev/null
  cmake --build build/test
  ctest --test-dir build/test --output-on-failure -j "$(nproc)" "$@"
}

# The tests of threads once more under ThreadSanitizer, in a build of their own holding only them.
thread_sanitizer_tests() {
  cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMO_TSAN=ON -DVELMO_TESTS=ON >/dev/null
  cmake --build build/tsan --target threads_test
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build/tsan --output-on-failure -R '^(OrderedBatch|ThreadsSideBySide)\.'
}

# The Python module's tests (pytest) run against the optimised build: a plain interpreter cannot load
# an extension built with sanitizers. Debian's python3, not one first on PATH.
python_tests() {
  scripts/release_build.sh
  PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$PWD/build/release/python" VELMO_COMMAND="$PWD/build/release/src/cli/velmo" \
    /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests
}

steps=(sanitizer_tests thread_sanitizer_tests python_tests)

scripts/setup.sh
for step in "${steps[@]}"; do
  echo "test: $step" >&2
  "$step" "$@"
done

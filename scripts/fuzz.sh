#!/usr/bin/env bash
# Builds every libFuzzer target (fuzz/*/) with clang into build/fuzz and runs each for a while on
# its seed corpus: 60 seconds, or FUZZ_SECONDS. A target fuzz_X whose folder also builds fuzz_X_seeds
# gets the files that program writes as seeds. Without clang there is nothing to do.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang >/dev/null || ! command -v clang++ >/dev/null; then
  echo "fuzz: clang is not installed, so the fuzz targets are not built or run (scripts/setup.sh installs it)" >&2
  exit 0
fi

seconds="${FUZZ_SECONDS:-60}"
# Undefined behaviour is a failure like a crash: it stops the run with the input that caused it.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_FUZZ=ON -DVELMO_TESTS=OFF >/dev/null

# Every executable target named fuzz_*, as the build knows them.
mapfile -t all < <(ninja -C "$build" -t targets all | grep -oE '^fuzz_[A-Za-z0-9_]+: phony' | sed 's/: phony//' | sort -u)
targets=()
seeders=()
for name in "${all[@]}"; do
  if [[ "$name" == *_seeds ]]; then seeders+=("$name"); else targets+=("$name"); fi
done
if ((${#targets[@]} == 0)); then
  echo "fuzz: no fuzz targets found" >&2
  exit 0
fi
cmake --build "$build" --target "${targets[@]}" ${seeders[@]+"${seeders[@]}"} >/dev/null

failed=0
for target in "${targets[@]}"; do
  binary=$(find "$build/fuzz" -type f -name "$target" -perm -u+x | head -n 1)
  seeder=$(find "$build/fuzz" -type f -name "${target}_seeds" -perm -u+x | head -n 1)
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  if [ -n "$seeder" ]; then
    "$seeder" "$corpus" >/dev/null
  fi
  log="$build/$target.log"
  if "$binary" "$corpus" -max_total_time="$seconds" -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "fuzz: $target: $runs runs in ${seconds}s, no failure"
  else
    echo "fuzz: $target FAILED; its log is $log, the input that failed is in $artifacts/" >&2
    tail -n 40 "$log" >&2
    failed=1
  fi
done
exit "$failed"

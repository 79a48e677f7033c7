#!/usr/bin/env bash
# Whole-process timings on the benchmark corpus (FILES camera-like files, default 2000): `velmo tags`
# next to `exiv2 -pa`, and `velmo rename` next to `exiv2 mv` and to the one-thread floor
# (rename_floor: open, read 4 KiB, close, no-replace rename). Each command runs over all files in
# one process, velmo with its default -j (one per core); the best of RUNS runs is kept (the first
# run warms the page cache).
#
#   bench/exif/compare.sh [BUILD_DIR]     BUILD_DIR: a Release build with -DVELMO_BENCH=ON,
#                                         default build/exif-release
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/exif-release}"
runs="${RUNS:-5}"
files="${FILES:-2000}"
velmo="$build/src/cli/velmo"
corpus_tool="$build/bench/exif/exif_corpus"
floor_tool="$build/bench/exif/rename_floor"
for tool in "$velmo" "$corpus_tool" "$floor_tool"; do
  [ -x "$tool" ] || { echo "compare: $tool is missing; build the velmo and exif_corpus targets in $build" >&2; exit 1; }
done
command -v exiv2 >/dev/null || { echo "compare: exiv2 is not installed (scripts/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$corpus_tool" "$work/corpus" "$files" >/dev/null
export VELMO_CORPUS="$work/corpus"

# best_of NAME PREPARE COMMAND: runs PREPARE (untimed) then COMMAND, RUNS times; prints the best
# time per file in microseconds.
best_of() {
  local best=""
  for _ in $(seq "$runs"); do
    eval "$2"
    local start end
    start=$(date +%s%N)
    eval "$3" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    local took=$(( (end - start) / 1000 ))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  awk -v t="$best" -v n="$files" 'BEGIN { printf "%.1f", t / n }'
}

fresh_copy='rm -rf "$work/r"; cp -r "$work/corpus" "$work/r"'
tags=$(best_of tags ":" '"$velmo" tags "$work"/corpus/*.jpg')
exiv2_tags=$(best_of exiv2-pa ":" 'exiv2 -pa "$work"/corpus/*.jpg')
rename=$(best_of rename "$fresh_copy" '"$velmo" rename "$work"/r/*.jpg')
exiv2_rename=$(best_of exiv2-mv "$fresh_copy" 'exiv2 mv "$work"/r/*.jpg')
floor_rename=$(best_of rename-floor "$fresh_copy" '"$floor_tool" "$work"/r/*.jpg')

printf "%-34s %10s\n" "command (over $files files)" "us/file"
printf "%-34s %10s\n" "velmo tags" "$tags"
printf "%-34s %10s\n" "exiv2 -pa" "$exiv2_tags"
printf "%-34s %10s\n" "velmo rename" "$rename"
printf "%-34s %10s\n" "exiv2 mv" "$exiv2_rename"
printf "%-34s %10s\n" "rename floor (one thread)" "$floor_rename"
awk -v a="$exiv2_tags" -v b="$tags" -v c="$exiv2_rename" -v d="$rename" -v f="$floor_rename" \
  'BEGIN { printf "velmo tags is %.1fx faster than exiv2 -pa; velmo rename is %.1fx faster than exiv2 mv and %.2fx the floor\n", a / b, c / d, d / f }'

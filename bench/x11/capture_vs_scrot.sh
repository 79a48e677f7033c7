#!/usr/bin/env bash
# Whole process, as a person runs it: `velmo capture -o shot.png` of a 1920 x 1080 Xvfb screen
# showing a photo-like picture, next to scrot (at its default zlib level 2, and at -q 80, zlib
# level 1 like velmo's own) and maim, when installed, writing a PNG of the same screen. Prints
# hyperfine's table, each command's peak resident memory and the file sizes.
#
#   bench/x11/capture_vs_scrot.sh [BUILD_DIR]   (a Release build with -DVELMO_BENCH=ON; needs
#                                                Xvfb, hyperfine, scrot and GNU time)
set -euo pipefail
build=${1:-build/bench}
velmo=$(realpath "$build/src/cli/velmo")
bench=$(realpath "$build/bench/x11/bench_x11")
for tool in Xvfb hyperfine scrot /usr/bin/time; do
  command -v $tool >/dev/null || { echo "capture_vs_scrot: $tool is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

# The picture, shown by velmo itself as a skinned window the size of the screen.
"$bench" --write-picture "$work/photo.png"
"$velmo" --display x11 skin "$work/photo.png" >/dev/null &
pids+=($!)
sleep 2

cd "$work"
commands=("$velmo --display x11 capture -o velmo.png" "scrot -o scrot.png" "scrot -q 80 -o scrot-q80.png")
command -v maim >/dev/null && commands+=("maim maim.png")
hyperfine --warmup 3 --runs 30 -N "${commands[@]}"
for c in "${commands[@]}"; do
  # shellcheck disable=SC2086  # each command is split into its words on purpose
  /usr/bin/time -f "%M KB peak resident: $c" $c >/dev/null
done
ls -l velmo.png scrot.png scrot-q80.png $(command -v maim >/dev/null && echo maim.png) | awk '{ print $5, $9 }'

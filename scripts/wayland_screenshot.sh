#!/usr/bin/env bash
# Takes docs/wayland.png again: a skinned window and a gradient form of velmo on a headless sway,
# as grim sees them, cropped to the two windows. Not run by CI.
#
#   scripts/wayland_screenshot.sh [VELMO]     # VELMO: the velmo program (default build/release/bin/velmo)
#
# Needs sway, swaymsg, grim and python3. sway refuses root: as root the compositor runs as the
# velmo-test user that scripts/setup.sh adds, and so do the two velmo programs, which connect to it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
velmo=$(realpath "${1:-$root/build/release/bin/velmo}")
out=$root/docs/wayland.png
work=$(mktemp -d /tmp/velmo-wayland-shot-XXXXXX)
as_user=()
if [ "$(id -u)" = 0 ]; then
  as_user=(runuser -u velmo-test --)
  chown velmo-test "$work"
fi
chmod 700 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The skin: a heart whose colour runs from rose to violet, on magenta (its top-left pixel, the
# see-through colour).
python3 - "$work/heart.png" <<'EOF'
import math, struct, sys, zlib
w, h = 150, 140
rows = bytearray()
for y in range(h):
    rows.append(0)
    for x in range(w):
        u, v = (x - w / 2) / (w / 2.8), (0.46 * h - y) / (h / 2.8)
        inside = (u * u + v * v - 1) ** 3 - u * u * v ** 3 <= 0
        t = y / h
        rows += bytes((int(220 - 110 * t), int(50 + 40 * t), int(120 + 110 * t))) if inside else b"\xff\x00\xff"
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(rows))) + chunk(b"IEND", b""))
EOF

cat > "$work/config" <<'EOF'
output HEADLESS-1 resolution 800x500 position 0,0 bg #1d2733 solid_color
default_border none
EOF
[ ${#as_user[@]} -eq 0 ] || chown -R velmo-test "$work"
"${as_user[@]}" env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work" WLR_BACKENDS=headless WLR_RENDERER=pixman \
  WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/config" >"$work/sway.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  ipc=$(ls "$work"/sway-ipc.* 2>/dev/null || true)
  socket=$(ls "$work"/wayland-? 2>/dev/null || true)
  [ -n "$ipc" ] && [ -n "$socket" ] && swaymsg -s "$ipc" -t get_version >/dev/null 2>&1 && break
  sleep 0.1
done
swaymsg() { command swaymsg -s "$ipc" "$@" >/dev/null; }

run_velmo() {
  "${as_user[@]}" env WAYLAND_DISPLAY="$socket" XDG_RUNTIME_DIR="$work" "$velmo" --display wayland "$@" >/dev/null 2>&1 &
  pids+=($!)
}
# A framed form the compositor decorates, painted with a dusk gradient, and the skin beside it.
run_velmo paint HorizGradient 250 150 60 110 30 140 False --size 300x160 -o "$work/form.png" --show
run_velmo skin "$work/heart.png"
for _ in $(seq 100); do
  count=$(command swaymsg -s "$ipc" -t get_tree | grep -c '"app_id": "velmo"' || true)
  [ "$count" -ge 2 ] && break
  sleep 0.1
done
swaymsg '[app_id=velmo title="velmo skin"] move position 350 70'
swaymsg '[app_id=velmo title="Form1"] move position 30 40'
sleep 1
WAYLAND_DISPLAY="$socket" grim -g "10,20 520x250" "$out"
echo "Wrote $out"

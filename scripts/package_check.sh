#!/usr/bin/env bash
# Installs the packages in dist/ as a user does (apt-get install ./dist/*.deb), uses them: velmo tags,
# its man page and completion, a host program built through pkg-config, `import velmo`; then purges
# them and checks that nothing of theirs is left. Needs root (or sudo); CI runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
fail() { echo "package_check: $*" >&2; exit 1; }

work=$(mktemp -d /tmp/velmo-package-check-XXXXXX)
mapfile -t packages < <(for deb in dist/*.deb; do dpkg-deb -f "$deb" Package; done)
((${#packages[@]})) || fail "no packages in dist/ (scripts/package.sh builds them)"
purge() { DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq "${packages[@]}" >/dev/null 2>&1 || true; }
trap 'purge; rm -rf "$work"' EXIT

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$PWD"/dist/*.deb >/dev/null
for package in "${packages[@]}"; do dpkg-query -L "$package"; done | sort -u >"$work/files"

scripts/test_photo.sh "$work/photo.jpg"
# Output goes to a file first: `grep -q` stops reading at its match, and under pipefail the
# writer's SIGPIPE would fail the check at random.
velmo tags "$work/photo.jpg" >"$work/tags.out" || fail "velmo tags exited $?"
grep -q "^Make: Velmocam" "$work/tags.out" || fail "velmo tags listed no Make"
velmo typelib >"$work/typelib.out" || fail "velmo typelib exited $?"
grep -q "clsKxLumoGradientsA" "$work/typelib.out" || fail "velmo typelib lists no gradient class"
for page in velmo velmo-tags velmo-capture velmo-pick; do
  man -w "$page" >/dev/null || fail "no man page $page"
done
[ -f /usr/share/bash-completion/completions/velmo ] || fail "no bash completion"
bash -c 'source /usr/share/bash-completion/completions/velmo && complete -p velmo' >/dev/null \
  || fail "the bash completion does not load"
c++ -std=c++20 examples/host_program/main.cpp -o "$work/host_program" $(pkg-config --cflags --libs velmo-host)
(cd "$work" && ./host_program photo.jpg gradient.png) >"$work/host.out" || { cat "$work/host.out"; fail "host program"; }
grep -q "^Make: Velmocam" "$work/host.out" || fail "the host program listed no tags"
[ -s "$work/gradient.png" ] || fail "the host program wrote no picture"
(cd "$work" && PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 - photo.jpg) <<'PY' || fail "import velmo"
import sys
import velmo
tags = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
tags.ImageFile = sys.argv[1]
tags.ListInfo()
assert {item.Name: item.StringData for item in tags.TagsObject}["Make"] == "Velmocam"
PY

purge
trap 'rm -rf "$work"' EXIT
left=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null | grep -v "not-installed" || true)
[ -z "$left" ] || fail "still known to dpkg after purge: $left"
while read -r path; do
  # Folders others share (/usr, /usr/lib, ...) stay; files and our own folders must be gone.
  if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == *velmo* ]]; }; then fail "left after purge: $path"; fi
done <"$work/files"
echo "package_check: ${packages[*]} installed, used and purged without a trace"

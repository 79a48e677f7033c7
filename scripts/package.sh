#!/usr/bin/env bash
# Builds the Debian packages into dist/ from the optimised build (CPack, see
# src/package/VelmoPackage.cmake), then lists them with their sizes and lintian's findings.
#   scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/release_build.sh
rm -rf dist build/release/cpack
mkdir -p dist
cpack --config build/release/CPackConfig.cmake -B "$PWD/build/release/cpack" >/dev/null
mv build/release/cpack/*.deb dist/

# CPack gives every package with a library under /usr/lib a postinst and a postrm that run ldconfig,
# beside the ldconfig trigger the library packages already carry (src/package/debian/triggers).
# Debian's own tools give such packages the trigger alone, so those two scripts are taken out; a
# script that holds anything else is left as it is.
ldconfig_script() { printf '#!/bin/sh\n\nset -e\n\nif [ "$1" = "%s" ]; then\n\tldconfig\nfi\n' "$1"; }
for deb in dist/*.deb; do
  root=$(mktemp -d)
  dpkg-deb -R "$deb" "$root"
  changed=
  for script_and_action in postinst:configure postrm:remove; do
    script="$root/DEBIAN/${script_and_action%%:*}"
    if [ -f "$script" ] && [ "$(cat "$script")" = "$(ldconfig_script "${script_and_action##*:}")" ]; then
      rm "$script"
      changed=1
    fi
  done
  if [ -n "$changed" ]; then
    dpkg-deb --root-owner-group --build "$root" "$deb" >/dev/null
  fi
  rm -rf "$root"
done

for deb in dist/*.deb; do
  printf '%-40s %8s bytes, %6s KiB installed\n' "$(basename "$deb")" "$(stat -c %s "$deb")" \
    "$(dpkg-deb -f "$deb" Installed-Size)"
done
if command -v lintian >/dev/null; then
  # Errors fail the build; warnings are printed for a person to judge.
  lintian --fail-on error --suppress-tags-from-file scripts/lintian-suppressed dist/*.deb
fi

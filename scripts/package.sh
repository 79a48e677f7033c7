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
for deb in dist/*.deb; do
  printf '%-40s %8s bytes, %6s KiB installed\n' "$(basename "$deb")" "$(stat -c %s "$deb")" \
    "$(dpkg-deb -f "$deb" Installed-Size)"
done
if command -v lintian >/dev/null; then
  # Errors fail the build; warnings are printed for a person to judge.
  lintian --fail-on error --suppress-tags-from-file scripts/lintian-suppressed dist/*.deb
fi

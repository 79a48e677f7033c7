#!/usr/bin/env bash
# Installs velmo into a temporary prefix, builds every example under examples/ against it (CMake,
# and the first also through pkg-config), runs them, and checks the installed tree as a user meets
# it: it moves and keeps working, names no build folder, `velmo tags` maps no drawing library,
# an exif.ini beside libvelmo10.so is read, the Python module (when built) imports and reads tags,
# and without libkxbasalt10.so About raises 429.
#   scripts/install_check.sh [BUILD_DIR]   (default: the optimised build, build/release)
# A sanitizer build may be given; the examples are then built with the same sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [ $# -eq 0 ]; then
  scripts/release_build.sh
else
  cmake --build "$build"
fi

work=$(mktemp -d /tmp/velmo-install-check-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "install_check: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" >/dev/null
# Installed files must not lean on the build tree: move the prefix before using it.
mv "$work/first" "$work/prefix"
prefix=$work/prefix
components=$(dirname "$(find "$prefix" -name libvelmo10.so)")
libdir=$(dirname "$components")
if grep -rlI --exclude-dir=include "$PWD/$build" "$prefix" >/dev/null; then
  fail "installed files name the build folder: $(grep -rlI "$PWD/$build" "$prefix" | head -3)"
fi

flags=""
if grep -q "^VELMO_SANITIZE:BOOL=ON" "$build/CMakeCache.txt"; then
  flags="-fsanitize=address,undefined"
  export ASAN_OPTIONS=detect_leaks=0
fi

scripts/test_photo.sh "$work/photo.jpg"

velmo=$prefix/bin/velmo
"$velmo" --version | grep "^velmo 1.0" >/dev/null || fail "velmo --version"
"$velmo" tags "$work/photo.jpg" | grep "^Orientation: 6" >/dev/null || fail "velmo tags"
"$velmo" tags --ini "$prefix/share/velmo/exif.ini" "$work/photo.jpg" | grep "^Orientation: Right-top" >/dev/null \
  || fail "velmo tags --ini share/velmo/exif.ini"
"$velmo" typelib | grep "clsKxLumoGradientsA" >/dev/null || fail "velmo typelib (the full command)"
"$velmo" call Velmo10.clsKxVelmo10A About >"$work/about.out" 2>&1 || { cat "$work/about.out"; fail "velmo call Velmo10.clsKxVelmo10A About"; }
for args in "--version" "tags $work/photo.jpg"; do
  LD_DEBUG=libs "$velmo" $args 2>"$work/ld.txt" >/dev/null
  if grep -E "libcairo|libX11|libfontconfig|libpixman|libvelmo-host" "$work/ld.txt" >/dev/null; then
    fail "velmo $args loads a drawing library: $(grep -oE 'lib(cairo|X11|fontconfig|pixman|velmo-host)[^ ]*' "$work/ld.txt" | sort -u | tr '\n' ' ')"
  fi
done
# exif.ini beside libvelmo10.so (App.Path) is read without --ini.
cp "$prefix/share/velmo/exif.ini" "$components/"
"$velmo" tags "$work/photo.jpg" | grep "^Orientation: Right-top" >/dev/null || fail "exif.ini beside libvelmo10.so not read"
rm "$components/exif.ini"

# The Python module, when the build has it: imported from the moved prefix by Debian's python3.
module=$(find "$prefix" -name 'velmo.cpython-*.so' | head -n 1)
if [ -n "$module" ]; then
  PYTHONDONTWRITEBYTECODE=1 PYTHONPATH=$(dirname "$module") /usr/bin/python3 - "$work/photo.jpg" >"$work/python.out" 2>&1 <<'PY' \
    || { cat "$work/python.out"; fail "the installed Python module"; }
import sys
import velmo
tags = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
tags.ImageFile = sys.argv[1]
tags.ListInfo()
assert {item.Name: item.StringData for item in tags.TagsObject}["Make"] == "Velmocam"
PY
  [ -f "$(dirname "$module")/velmo.pyi" ] || fail "velmo.pyi is not beside the installed module"
  echo "install_check: the installed Python module imports and reads tags"
fi

# Every example, built with CMake against the prefix, then run.
for example in examples/*/; do
  # Only the C++ examples are built here; examples/python runs under the Python tests.
  [ -f "$example/CMakeLists.txt" ] || continue
  name=$(basename "$example")
  cmake -S "$example" -B "$work/build-$name" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
  cmake --build "$work/build-$name" >/dev/null
  program=$(find "$work/build-$name" -maxdepth 1 -type f -perm -u+x | head -n 1)
  (cd "$work" && "$program" photo.jpg "$name.png") >"$work/$name.out" || { cat "$work/$name.out"; fail "example $name failed"; }
  echo "example $name:"; sed 's/^/  /' "$work/$name.out"
done
[ -s "$work/host_program.png" ] || fail "host_program wrote no picture"
grep -q "^Make: Velmocam" "$work/host_program.out" || fail "host_program listed no tags"

# The same host program through pkg-config.
c++ -std=c++20 $flags examples/host_program/main.cpp -o "$work/host_program_pc" \
  $(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs velmo-host) -Wl,-rpath,"$libdir"
(cd "$work" && ./host_program_pc photo.jpg pc.png) >/dev/null || fail "host_program built through pkg-config failed"

# Without the framework services component, About raises 429 and the host reports it.
rm "$components/libkxbasalt10.so"
if (cd "$work" && "$work/build-host_program/host_program" photo.jpg again.png) >"$work/missing.out"; then fail "About without libkxbasalt10.so succeeded"; fi
grep -q "^Error 429 (KxBasalt10.clsKxsvErrorHandlerA)" "$work/missing.out" || { cat "$work/missing.out"; fail "no 429 without libkxbasalt10.so"; }
# The installed command is such a host too: one error line, exit 1.
code=0
"$velmo" call Velmo10.clsKxVelmo10A About >"$work/about.out" 2>"$work/about.err" || code=$?
if [ "$code" -ne 1 ] || [ "$(wc -l <"$work/about.err")" -ne 1 ] || ! grep -q "^velmo: error 429 " "$work/about.err"; then
  cat "$work/about.err"; fail "velmo call Velmo10.clsKxVelmo10A About without libkxbasalt10.so: exit $code, not one line 'velmo: error 429'"
fi
echo "install_check: installed, moved, examples built and run, EXIF path free of drawing libraries"

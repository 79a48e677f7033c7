#!/usr/bin/env bash
# Sets up and builds the optimised velmo command into build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/release_build.sh velmo

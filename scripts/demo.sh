#!/usr/bin/env bash
# Sets up, builds the optimised velmo command and runs its demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec build/release/src/cli/velmo demo "$@"

#!/usr/bin/env bash
# Makes (or keeps) the sample simulator folder that the run and screenshot
# commands point velk at, and prints its path:
#   scripts/sample-sim.sh [BUILD_DIR]      (default $VELK_BUILD_DIR or build)
# A second run keeps the files that exist, so edits survive.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${VELK_BUILD_DIR:-build}}
case "$build" in
  /*) sim="$build/sample-sim" ;;
  *) sim="$PWD/$build/sample-sim" ;;
esac
"$build/bin/velk-make-sample-sim" "$sim" >/dev/null
echo "$sim"

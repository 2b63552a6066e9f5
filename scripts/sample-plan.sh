#!/usr/bin/env bash
# Makes (or keeps) the working copy of the sample plan that the run command
# opens, and prints its folder:
#   scripts/sample-plan.sh [BUILD_DIR]     (default $VELK_BUILD_DIR or build)
# The copy is made once, from the tracked sample/, and never overwritten, so
# a shuffle and a save change it and its backups land beside it, while
# sample/ stays as it is. Delete the folder to start afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${VELK_BUILD_DIR:-build}}
case "$build" in
  /*) plan="$build/sample-plan" ;;
  *) plan="$PWD/$build/sample-plan" ;;
esac
if [ ! -e "$plan" ]; then
  mkdir -p "$(dirname "$plan")"
  # Copied beside it first, so a copy cut short is never taken for the plan.
  tmp=$(mktemp -d "$plan.XXXXXX")
  chmod 755 "$tmp"
  cp sample/Airports.txt sample/Aircraft.txt sample/FlightPlans.txt "$tmp"/
  mv -T -n "$tmp" "$plan" || true
  rm -rf "$tmp"
fi
echo "$plan"

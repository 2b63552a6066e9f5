#!/usr/bin/env bash
# Installs what is needed, builds the programs it starts (velk brings orvane
# and ulvane; the tests and benchmarks are for .ci/run), makes the sample
# simulator folder and starts velk on the working copy of the sample plan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
VELK_BUILD_TARGETS="velk velk-make-sample-sim" bash scripts/build.sh
build=${VELK_BUILD_DIR:-build}
if [ -x "$build/bin/velk-make-sample-sim" ]; then
  VELK_FS_PATH=$(bash scripts/sample-sim.sh "$build")
  export VELK_FS_PATH
fi
plan=$(bash scripts/sample-plan.sh "$build")
exec "$build/bin/velk" "$plan/FlightPlans.txt"

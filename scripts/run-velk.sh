#!/usr/bin/env bash
# Installs what is needed, builds, makes the sample simulator folder and
# starts velk on the bundled sample plan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build=${VELK_BUILD_DIR:-build}
if [ -x "$build/bin/velk-make-sample-sim" ]; then
  VELK_FS_PATH=$(bash scripts/sample-sim.sh "$build")
  export VELK_FS_PATH
fi
exec "$build/bin/velk" "$PWD/sample/FlightPlans.txt"

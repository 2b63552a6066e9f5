#!/usr/bin/env bash
# Configures and builds into ./build (or $VELK_BUILD_DIR): everything, or only
# the targets named in $VELK_BUILD_TARGETS (space separated).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VELK_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${VELK_BUILD_TYPE:-RelWithDebInfo} "$@"
targets=()
for t in ${VELK_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"

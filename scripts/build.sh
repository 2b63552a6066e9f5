#!/usr/bin/env bash
# Configures and builds everything into ./build (or $VELK_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VELK_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${VELK_BUILD_TYPE:-RelWithDebInfo} "$@"
cmake --build "$build" -j "$(nproc)"

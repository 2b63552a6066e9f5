#!/usr/bin/env bash
# Installs what is needed, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DVELK_BUILD_BENCH=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${VELK_BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"

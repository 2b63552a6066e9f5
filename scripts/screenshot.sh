#!/usr/bin/env bash
# Saves a PNG of the main window for people to look at (not a test).
#   scripts/screenshot.sh [OUTPUT.png] [WIDTHxHEIGHT] [maximized]
# Runs velk under xvfb-run on a screen of the given size (default 800x600)
# with a private settings store, on the sample plan when there is one and the
# sample simulator folder of scripts/run-velk.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-velk-main.png}")
screen=${2:-800x600}
mode=${3:-}
build=${VELK_BUILD_DIR:-build}
[ -x "$build/bin/velk" ] || bash scripts/build.sh >/dev/null
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
if [ "$mode" = maximized ]; then
  # Maximised, and placed over the whole screen for servers without a
  # window manager, where maximising has no effect.
  w=${screen%x*}; h=${screen#*x}
  {
    printf 'WINE REGISTRY Version 2\n\n[Software\\\\Brennhall\\\\Corrivan\\\\1.0\\\\Settings]\n'
    printf '"MainState"=str(2):"2"\n"MainLeft"=str(2):"0"\n"MainTop"=str(2):"0"\n'
    printf '"MainWidth"=str(2):"%d"\n"MainHeight"=str(2):"%d"\n' $((w * 15)) $((h * 15))
  } > "$config/user.reg"
fi
plan=()
[ -f sample/FlightPlans.txt ] && plan=("$PWD/sample/FlightPlans.txt")
# The same sample simulator folder as the run command, so the trees show
# its aircraft.
sim=$(bash scripts/sample-sim.sh "$build")
VELK_FS_PATH="$sim" VELK_CONFIG_HOME="$config" xvfb-run -a -s "-screen 0 ${screen}x24" \
  "$build/bin/velk" --screenshot "$out" "${plan[@]}"
echo "$out"

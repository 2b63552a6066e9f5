#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Skips apt-get when everything is present already.
set -euo pipefail
# locales: the number readers are tested under a comma-decimal locale that
# the test compiles from its sources. xdg-utils: the desktop launcher that
# opens the help pages.
packages=(build-essential cmake ninja-build qt6-base-dev libgtest-dev xvfb xauth poppler-utils locales xdg-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its tests, their formatting check and its demo need,
# when any is missing, and any further packages named as arguments (scripts/fuzz.sh adds clang's).
# Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl1-mesa-dev
  xvfb xauth
  clang-format
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"

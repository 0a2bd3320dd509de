#!/usr/bin/env bash
# Soak on a faulty line: the controller link against the simulated controller for MINUTES
# (default 30) with 0.2 % damaged and 0.2 % lost bytes in each direction and the plug pulled every
# 2 minutes, editing settings and map cells throughout. Prints the figures one per line and exits
# non-zero when a check failed.
#
#   scripts/soak.sh [MINUTES]
#
# Builds kavelo-sim and kavelo-soak first: into $KAVELO_BUILD_DIR when set, else into the existing
# build/ tree, else into a new Release tree build-release/. KAVELO_SOAK_NO_BUILD=1 skips the build
# (the test suite runs this script on the tree it has just built).
set -euo pipefail
cd "$(dirname "$0")/.."

minutes="${1:-30}"
if ! [[ "$minutes" =~ ^[0-9]+([.][0-9]+)?$ ]]; then
  echo "usage: scripts/soak.sh [MINUTES]" >&2
  exit 2
fi

build="${KAVELO_BUILD_DIR:-}"
if [ -z "$build" ]; then
  if [ -f build/CMakeCache.txt ]; then build=build; else build=build-release; fi
fi
if [ "${KAVELO_SOAK_NO_BUILD:-0}" != 1 ]; then
  ./scripts/setup-deps.sh
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" --target kavelo-sim kavelo-soak -j"$(nproc)" >/dev/null
fi

seconds=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')
# A short run still sees the plug pulled once, with time left to read everything again after it.
unplug=120
if [ "$seconds" -lt 240 ]; then unplug=$(( seconds * 3 / 4 )); fi

exec "$build/soak/kavelo-soak" --sim "$build/sim/kavelo-sim" --seconds "$seconds" \
  --corrupt 0.002 --drop 0.002 --unplug-every "$unplug" --unplug-for 2

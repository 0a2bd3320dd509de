#!/usr/bin/env bash
# Makes every picture of the manual (docs/manual/pictures) with the program itself, so that they never
# show an older program: the chart views drawn by `kavelo --render` from the settings the simulated
# controller holds (read with kavelo-cli), and the window's tabs by scripts/screens.sh against the
# simulators (English, the first colour theme, full settings, 1366 x 768).
#
# usage: scripts/manual-pictures.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
find_exe() { find "$build" -type f -name "$1" -perm -u+x 2>/dev/null | head -n 1; }
prog=$(find_exe kavelo); cli=$(find_exe kavelo-cli); sim=$(find_exe kavelo-sim)
[ -n "$prog" ] && [ -n "$cli" ] && [ -n "$sim" ] || { echo "build kavelo, kavelo-cli and kavelo-sim first" >&2; exit 2; }
pictures=docs/manual/pictures
mkdir -p "$pictures"
tmp=$(mktemp -d); sim_pid=
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT

# The chart views, from the simulated controller's settings.
"$sim" controller >"$tmp/ctl" 2>&1 & sim_pid=$!
for i in $(seq 50); do [ -s "$tmp/ctl" ] && break; sleep 0.1; done
device=$(head -n 1 "$tmp/ctl" | cut -f1)
HOME=$tmp "$cli" read-settings --port "$device" "$tmp/car.set" >/dev/null
kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=
for view in 0 1 2; do
  "$prog" --render "$view" --settings "$tmp/car.set" --out "$pictures/view-$view.png" --size 900x520 --lang en
done

# The window, tab by tab.
scripts/screens.sh -b "$build" -o "$tmp/screens" -l 0 -t 0 -v 1 -s 1366x768 >/dev/null
set_dir="$tmp/screens/1366x768/lang0-theme0-view1"
for pair in 00-start:start 01-settings:settings 02-calibration:calibration 03-map:map \
            09-oscilloscope:oscilloscope 10-obd:obd; do
  cp "$set_dir/${pair%%:*}.png" "$pictures/${pair#*:}.png"
done
ls -1 "$pictures"

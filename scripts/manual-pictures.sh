#!/usr/bin/env bash
# Makes every picture of the manual with the program itself, so that they never show an older program,
# in each language of the manual: docs/manual/pictures/<lang>/ for en, pl, ru and es. The chart views
# are drawn by `kavelo --render --lang` from the settings the simulated controller holds (read with
# kavelo-cli), the window's tabs by scripts/screens.sh against the simulators (the first colour
# theme, full settings, 1366 x 768), one language after another. The window's pictures are stored
# with a reduced palette: they are compiled into the program, so they are kept small.
#
# usage: scripts/manual-pictures.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
find_exe() { find "$build" -type f -name "$1" -perm -u+x 2>/dev/null | head -n 1; }
prog=$(find_exe kavelo); cli=$(find_exe kavelo-cli); sim=$(find_exe kavelo-sim)
[ -n "$prog" ] && [ -n "$cli" ] && [ -n "$sim" ] || { echo "build kavelo, kavelo-cli and kavelo-sim first" >&2; exit 2; }
pictures=docs/manual/pictures
# The languages in the order of the program's language numbers (screens.sh -l).
langs=(en pl ru es)
tmp=$(mktemp -d); sim_pid=
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT

# Writes a PNG with at most 256 colours when ImageMagick is there (the window's pictures have few
# colours, so nothing visible is lost), otherwise copies it as it is.
store() {
  if command -v convert >/dev/null; then
    convert "$1" -strip -colors 256 "PNG8:$2"
  else
    cp "$1" "$2"
  fi
}

# The chart views, from the simulated controller's settings.
"$sim" controller >"$tmp/ctl" 2>&1 & sim_pid=$!
for i in $(seq 50); do [ -s "$tmp/ctl" ] && break; sleep 0.1; done
device=$(head -n 1 "$tmp/ctl" | cut -f1)
HOME=$tmp "$cli" read-settings --port "$device" "$tmp/car.set" >/dev/null
kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=
for lang in "${langs[@]}"; do
  mkdir -p "$pictures/$lang"
  for view in 0 1 2; do
    "$prog" --render "$view" --settings "$tmp/car.set" --out "$tmp/view-$view.png" --size 900x520 --lang "$lang"
    store "$tmp/view-$view.png" "$pictures/$lang/view-$view.png"
  done
done

# The window, tab by tab, in every language (no picture tour).
scripts/screens.sh -b "$build" -o "$tmp/screens" -l "0 1 2 3" -t 0 -v 1 -s 1366x768 -L "" >/dev/null
for n in "${!langs[@]}"; do
  set_dir="$tmp/screens/1366x768/lang$n-theme0-view1"
  for pair in 00-start:start 01-settings:settings 02-calibration:calibration 03-map:map \
              09-oscilloscope:oscilloscope 10-obd:obd; do
    [ -f "$set_dir/${pair%%:*}.png" ] || { echo "no ${pair%%:*}.png for ${langs[$n]}" >&2; exit 1; }
    store "$set_dir/${pair%%:*}.png" "$pictures/${langs[$n]}/${pair#*:}.png"
  done
done
# The pictures of before, shared by every language, are gone for good.
rm -f "$pictures"/*.png
du -sh "$pictures"/*

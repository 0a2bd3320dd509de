#!/usr/bin/env bash
# Starts the simulated controller and the simulated ELM327 adapter (with a car that has stored
# trouble codes) on pseudo-terminals, and the KAVELO program connected to both.
# Installs what is missing and builds first. Stop with Ctrl+C or by closing the window.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build -j"$(nproc)" --target kavelo kavelo-sim kavelo-cli

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: the program needs a desktop session."
  echo "To run it on a virtual display:  xvfb-run -a -s '-screen 0 1280x800x24' ./scripts/demo.sh"
  exit 1
fi

tmp=$(mktemp -d)
mkfifo "$tmp/ctl" "$tmp/elm"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$tmp"' EXIT
./build/sim/kavelo-sim controller --drive >"$tmp/ctl" &
pids+=($!)
./build/sim/kavelo-sim elm --stored P0171,P0300 >"$tmp/elm" &
pids+=($!)
read -r device number <"$tmp/ctl"
read -r elm elmNumber <"$tmp/elm"
echo "Simulated controller on $device (port $number)"
echo "Simulated ELM327 adapter on $elm (port $elmNumber)"
./build/shell/kavelo --port "$device" --elm-port "$elm" "$@"

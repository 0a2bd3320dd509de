#!/usr/bin/env bash
# Starts the simulated controller on a pseudo-terminal and the KAVELO program connected to it.
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

fifo=$(mktemp -u)
mkfifo "$fifo"
./build/sim/kavelo-sim controller >"$fifo" &
sim=$!
trap 'kill $sim 2>/dev/null; rm -f "$fifo"' EXIT
read -r device number <"$fifo"
echo "Simulated controller on $device (port $number)"
./build/shell/kavelo --port "$device" "$@"

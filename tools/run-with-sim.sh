#!/usr/bin/env bash
# Starts the simulated controller with the demo image and opens the program on it;
# closing the program stops the simulator.
set -euo pipefail
bin=${1:-build/bin}
state=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$state"' EXIT
cp "$bin/demo.dat" "$state/controller.dat"
"$bin/igx1-sim" --image "$state/controller.dat" --save "$state/controller.dat" \
  --ready "$state/device" >/dev/null &
sim=$!
for _ in $(seq 100); do [ -s "$state/device" ] && break; sleep 0.05; done
[ -s "$state/device" ] || { echo "igx1-sim did not start" >&2; exit 1; }
device=$(cat "$state/device")
echo "Simulated IGX-1 on $device"
"$bin/velo-igx" --device "$device" "${@:2}"

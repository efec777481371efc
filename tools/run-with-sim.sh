#!/usr/bin/env bash
# Starts the simulated controller with a demo image (DEMO=3d, the default, or DEMO=2d)
# and opens the program on it; closing the program stops the simulator.
set -euo pipefail
bin=${1:-build/bin}
state=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$state"' EXIT
demo=${DEMO:-3d}
[ -f "$bin/demo_$demo.dat" ] || { echo "no demo image $bin/demo_$demo.dat (DEMO=2d or 3d)" >&2; exit 2; }
cp "$bin/demo_$demo.dat" "$state/controller.dat"
"$bin/igx1-sim" --image "$state/controller.dat" --save "$state/controller.dat" \
  --ready "$state/device" >/dev/null &
sim=$!
for _ in $(seq 100); do [ -s "$state/device" ] && break; sleep 0.05; done
[ -s "$state/device" ] || { echo "igx1-sim did not start" >&2; exit 1; }
device=$(cat "$state/device")
echo "Simulated IGX-1 on $device"
"$bin/velo-igx" --device "$device" "${@:2}"

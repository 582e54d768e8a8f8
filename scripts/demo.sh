#!/usr/bin/env bash
# Builds the add-on and the runner, then plays the demo session on the example building.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DAREALIST_BENCHMARKS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target arealist-host Arealist
mkdir -p out
dump="$root/out/demo-dump.json"
prefs="$(mktemp -d)"
trap 'rm -rf "$prefs"' EXIT
build/release/arealist-host run Examples/building.json Examples/demo.txt --dump "$dump" --prefs "$prefs" "$@"
echo
echo "The final state of the project was written to $dump"

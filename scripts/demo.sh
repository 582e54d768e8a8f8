#!/usr/bin/env bash
# Builds the add-on and the runner, then plays the demo session on the example building and writes
# the final state, the area report and the area workbook to out/; then makes the area lists of a
# real house's IFC model.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DAREALIST_BENCHMARKS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target arealist-host Arealist
mkdir -p out
dump="$root/out/demo-dump.json"
report="$root/out/demo-report.html"
workbook="$root/out/demo-areas.xlsx"
prefs="$(mktemp -d)"
trap 'rm -rf "$prefs"' EXIT
build/release/arealist-host run Examples/building.json Examples/demo.txt --prefs "$prefs" \
    --dump "$dump" --report "$report" --export "$workbook" "$@"
# A real building: the FZK-Haus model, its whole building as one TOP, in one line.
house_report="$root/out/fzk-haus-report.html"
house_workbook="$root/out/fzk-haus-areas.xlsx"
echo
build/release/arealist-host areas Examples/ifc/AC20-FZK-Haus.ifc --top-from fixed:Haus --prefs "$prefs" \
    --report "$house_report" --export "$house_workbook"
echo
echo "Final state of the project:   $dump"
echo "Area report (for a browser):  $report"
echo "Area schedule as a workbook:  $workbook"
echo "The real house's area report: $house_report"
echo "The real house's workbook:    $house_workbook"

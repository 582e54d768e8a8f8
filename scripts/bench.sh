#!/usr/bin/env bash
# Builds a Release build and runs the benchmarks: whole-building scenarios on generated towers of
# 6,000 and 60,000 zones, and the loader. Extra arguments go to Google Benchmark, for example
#   ./scripts/bench.sh --benchmark_filter='ZoneAreaEdit'
# Results are printed and written to out/bench.json.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DAREALIST_BENCHMARKS=ON >/dev/null
cmake --build build/bench -j"$(nproc)" --target arealist-bench Arealist
mkdir -p out
build/bench/arealist-bench --benchmark_out=out/bench.json --benchmark_out_format=json "$@"
echo
echo "The figures were also written to $root/out/bench.json"

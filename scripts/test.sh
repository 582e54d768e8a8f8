#!/usr/bin/env bash
# Builds and runs every test: a g++ build, a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a bounded run of the fuzz targets.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
"$root/scripts/install-deps.sh"
jobs="$(nproc)"
export CTEST_OUTPUT_ON_FAILURE=1

echo "== formatting"
git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

echo "== g++ build and tests"
cmake -S . -B build/gcc -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAREALIST_WERROR=ON >/dev/null
cmake --build build/gcc -j"$jobs"
ctest --test-dir build/gcc -j"$jobs" --timeout 600

echo "== clang build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DAREALIST_SANITIZE=ON \
      -DAREALIST_WERROR=ON -DAREALIST_BENCHMARKS=OFF -DAREALIST_FUZZ=ON >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build/asan -j"$jobs" --timeout 900

echo "== fuzz targets, bounded runs"
for target in build/asan/fuzz_*; do
    [[ -x "$target" ]] || continue
    name="$(basename "$target")"
    corpus="Fuzz/corpus/${name#fuzz_}"
    mkdir -p "build/asan/corpus-$name"
    # Fuzz/NAME.options holds a target's own libFuzzer flags, if it needs any.
    options="Fuzz/${name#fuzz_}.options"
    "$target" -max_total_time="${FUZZ_SECONDS:-30}" -rss_limit_mb=2048 -artifact_prefix="build/asan/$name-" \
        $([[ -f "$options" ]] && cat "$options") "build/asan/corpus-$name" \
        $([[ -d "$corpus" ]] && echo "$corpus") >"build/asan/$name.log" 2>&1 ||
        { tail -50 "build/asan/$name.log"; echo "fuzz target $name found a problem"; exit 1; }
    echo "$name: $(grep -c . "build/asan/$name.log") log lines, no findings"
done
echo "All tests passed."
